#include "core/formats/pgm_read.h"

#include "core/formats/field_text.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace velmora {

namespace {

bool Blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Skips blanks and "#" comments (to the line's end) from `at`.
void SkipBlanks(std::string_view bytes, std::size_t& at)
{
    while (at < bytes.size() && (Blank(bytes[at]) || bytes[at] == '#')) {
        if (bytes[at] == '#')
            while (at < bytes.size() && bytes[at] != '\n' && bytes[at] != '\r')
                ++at;
        else
            ++at;
    }
}

// The next decimal number after blanks and comments; `at` moves past it.
// -1 when there is none or it has more than 9 digits.
long NextNumber(std::string_view bytes, std::size_t& at)
{
    SkipBlanks(bytes, at);
    long value = 0;
    std::size_t digits = 0;
    while (at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9') {
        if (++digits > 9)
            return -1;
        value = value * 10 + (bytes[at++] - '0');
    }
    return digits == 0 ? -1 : value;
}

// Each value up to `maxValue` as its level of 0..255, rounded: what the
// thresholds compare is the value's share of the largest. A value above the
// declared largest counts as the largest.
std::vector<std::uint8_t> Levels(long maxValue, std::size_t count)
{
    std::vector<std::uint8_t> levels(count);
    for (std::size_t v = 0; v < count; ++v) {
        const std::uint64_t held = std::min<std::uint64_t>(v, std::uint64_t(maxValue));
        levels[v] = std::uint8_t((held * 510 + std::uint64_t(maxValue)) / (2 * std::uint64_t(maxValue)));
    }
    return levels;
}

struct Header {
    bool text = false; // P2
    long width = 0;
    long height = 0;
    long maxValue = 0;
    std::size_t rowsAt = 0;
};

Result<Header> ReadHeader(std::string_view bytes, int maxSide)
{
    Header h;
    h.text = bytes.substr(0, 2) == "P2";
    if (!h.text && bytes.substr(0, 2) != "P5")
        return Fail("not a PGM picture");
    std::size_t at = 2;
    h.width = NextNumber(bytes, at);
    h.height = NextNumber(bytes, at);
    h.maxValue = NextNumber(bytes, at);
    if (h.width < 0 || h.height < 0 || h.maxValue < 0 || at >= bytes.size() || !Blank(bytes[at]))
        return Fail("the PGM header is damaged");
    h.rowsAt = at + 1; // the one blank before the rows
    // Both sides are checked before anything is allocated: a header may claim any size.
    if (h.width < 1 || h.height < 1 || h.width > maxSide || h.height > maxSide)
        return Fail("the PGM picture is " + std::to_string(h.width) + " x " + std::to_string(h.height) +
                    " pixels; a map may have 1 to " + std::to_string(maxSide) + " on each side");
    if (h.maxValue < 1 || h.maxValue > 65535)
        return Fail("the PGM's largest value " + std::to_string(h.maxValue) + " is not 1 to 65535");
    return h;
}

std::string EndsEarly(std::size_t valuesRead, const Header& h)
{
    return "the PGM picture ends after " + std::to_string(valuesRead / std::size_t(h.width)) + " of its " +
           std::to_string(h.height) + " rows";
}

Result<GreyImage> BinaryRows(std::string_view bytes, const Header& h)
{
    const std::size_t bytesPer = h.maxValue > 255 ? 2 : 1;
    const std::size_t count = std::size_t(h.width) * std::size_t(h.height);
    const std::size_t held = bytes.size() - std::min(bytes.size(), h.rowsAt);
    if (held < count * bytesPer)
        return Fail(EndsEarly(held / bytesPer, h));
    const std::vector<std::uint8_t> levels = Levels(h.maxValue, bytesPer == 2 ? 65536 : 256);
    GreyImage image{int(h.width), int(h.height), std::vector<std::uint8_t>(count)};
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data() + h.rowsAt);
    for (std::size_t i = 0; i < count; ++i)
        image.values[i] = levels[bytesPer == 2 ? std::size_t(data[2 * i]) << 8 | data[2 * i + 1] : data[i]];
    return image;
}

Result<GreyImage> TextRows(std::string_view bytes, const Header& h)
{
    const std::size_t count = std::size_t(h.width) * std::size_t(h.height);
    // Every value takes a digit and a blank but the last: a file too short
    // for the size it claims is refused before the picture's memory is taken.
    const std::size_t held = bytes.size() - std::min(bytes.size(), h.rowsAt);
    if (held < 2 * count - 1)
        return Fail(EndsEarly((held + 1) / 2, h));
    const std::vector<std::uint8_t> levels = Levels(h.maxValue, std::size_t(h.maxValue) + 1);
    GreyImage image{int(h.width), int(h.height), std::vector<std::uint8_t>(count)};
    std::size_t at = h.rowsAt;
    for (std::size_t i = 0; i < count; ++i) {
        const long v = NextNumber(bytes, at);
        if (v < 0) {
            SkipBlanks(bytes, at);
            if (at < bytes.size())
                return Fail("the text PGM holds " + QuotedField(bytes.substr(at, 1)) + " where value " +
                            std::to_string(i + 1) + " should be");
            return Fail(EndsEarly(i, h));
        }
        image.values[i] = levels[std::size_t(std::min(v, h.maxValue))];
    }
    return image;
}

} // namespace

bool LooksLikePgm(std::string_view bytes)
{
    return bytes.size() >= 2 && bytes[0] == 'P' && (bytes[1] == '5' || bytes[1] == '2');
}

Result<GreyImage> ReadPgm(std::string_view bytes, int maxSide)
{
    const Result<Header> header = ReadHeader(bytes, maxSide);
    if (!header)
        return Fail(header.error());
    return header->text ? TextRows(bytes, *header) : BinaryRows(bytes, *header);
}

} // namespace velmora
