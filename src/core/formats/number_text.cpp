#include "core/formats/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace velmora {

namespace {

int DigitValue(char c, int base)
{
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v < base ? v : -1;
}

} // namespace

std::int64_t ReadIntegerText(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i < text.size() && text[i] == '%') {
        base = 2;
        ++i;
    }
    // Unsigned arithmetic wraps instead of overflowing: huge inputs keep their
    // low bits, as the 32-bit fields expect.
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const int d = DigitValue(text[i], base);
        if (d < 0)
            break;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
    }
    if (negative)
        value = ~value + 1;
    return static_cast<std::int64_t>(value);
}

} // namespace velmora

namespace velmora {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}
bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string SpecialText(double v)
{
    if (std::isnan(v))
        return "NaN";
    return v > 0 ? "+Infinity" : "-Infinity";
}

// Decimal exponent of the first significant digit, used to tell an overflow
// from an underflow when the conversion reports the value out of range.
long long Magnitude(std::string_view mantissa, long long exponent)
{
    const std::size_t point = mantissa.find('.');
    const std::size_t intDigits = point == std::string_view::npos ? mantissa.size() : point;
    for (std::size_t i = 0; i < mantissa.size(); ++i) {
        if (mantissa[i] == '.' || mantissa[i] == '0')
            continue;
        const long long pos = static_cast<long long>(i);
        const long long intEnd = static_cast<long long>(intDigits);
        return (pos < intEnd ? intEnd - pos : intEnd - pos + 1) + exponent;
    }
    return -1; // zero
}

} // namespace

DecimalScan ScanDecimal(std::string_view text)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const std::size_t begin = i;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    bool digits = i > begin;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fraction = ++i;
        while (i < text.size() && IsDigit(text[i]))
            ++i;
        digits = digits || i > fraction;
    }
    if (!digits)
        return {};
    const std::size_t mantissaEnd = i;
    long long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool expNegative = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            expNegative = text[j++] == '-';
        if (j < text.size() && IsDigit(text[j])) {
            for (; j < text.size() && IsDigit(text[j]); ++j)
                exponent = std::min<long long>(exponent * 10 + (text[j] - '0'), 1000000);
            if (expNegative)
                exponent = -exponent;
            i = j;
        }
    }
    double value = 0;
    const char* first = text.data() + begin;
    const auto result = std::from_chars(first, text.data() + i, value);
    if (result.ec == std::errc::result_out_of_range)
        value = Magnitude(text.substr(begin, mantissaEnd - begin), exponent) > 0 ? HUGE_VAL : 0.0;
    return {negative ? -value : value, i};
}

double ReadFloatText(std::string_view text)
{
    // The special texts are matched with the white space around them taken
    // off: the track file writes them after ", " and must read them back.
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    std::string_view word = text;
    while (!word.empty() && IsSpace(word.back()))
        word.remove_suffix(1);
    if (EqualsIgnoringAsciiCase(word, "+Infinity"))
        return HUGE_VAL;
    if (EqualsIgnoringAsciiCase(word, "-Infinity"))
        return -HUGE_VAL;
    if (EqualsIgnoringAsciiCase(word, "NaN"))
        return std::numeric_limits<double>::quiet_NaN();
    return ScanDecimal(text).value;
}

std::string FormatFixed(double v, int decimals)
{
    if (!std::isfinite(v))
        return SpecialText(v);
    char buf[400];
    const auto result =
        std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, std::clamp(decimals, 0, 20));
    std::string text(buf, result.ptr);
    // A tiny negative value rounds to zero, which is written without a sign.
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);
    return text;
}

std::string FormatTrimmed(double v, int decimals)
{
    if (!std::isfinite(v))
        return SpecialText(v);
    if (v == 0)
        return "0";
    std::string text = FormatFixed(v, decimals);
    if (text.find('.') != std::string::npos && text.back() == '0') {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.')
            text.pop_back();
    }
    // A tiny negative value rounds to zero, which is written without a sign.
    return text == "-0" ? "0" : text;
}

std::string FormatFloat10(double v)
{
    return FormatTrimmed(v, 10);
}

std::string FormatFloatG64(double v)
{
    if (!std::isfinite(v))
        return SpecialText(v);
    char buf[400];
    const auto result = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 64);
    return std::string(buf, result.ptr);
}

std::string FormatSignificant(double v, int digits)
{
    if (!std::isfinite(v) || v == 0)
        return FormatTrimmed(v, 0);
    // The exponent after rounding, so that 9.99996 counts as 10. A double
    // holds 17 significant digits at most.
    digits = std::clamp(digits, 1, 17);
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, digits - 1);
    const std::string text(buf, result.ptr);
    const int exponent = std::stoi(text.substr(text.find('e') + 1));
    return FormatTrimmed(v, std::max(0, digits - 1 - exponent));
}

std::string FormatShortest(double v)
{
    if (!std::isfinite(v))
        return SpecialText(v);
    if (v == 0)
        return "0";
    char buf[400];
    const auto result = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    return std::string(buf, result.ptr);
}

std::string FormatBrief(double v)
{
    const double size = std::abs(v);
    if (!std::isfinite(v) || v == 0 || (size >= 1e-6 && size < 1e15))
        return FormatShortest(v);
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
    return std::string(buf, result.ptr);
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

} // namespace velmora
