#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// The integer rule shared by the track file and the Options fields: skip
// blanks and tabs, an optional sign, then "$" and hexadecimal digits, "%" and
// binary digits, or decimal digits; stop at the first character that does not
// fit; no digits give 0. Computed in 64 bits with wrap-around; callers that
// store 32 bits take the low 32 (LowInt32).
std::int64_t ReadIntegerText(std::string_view text);

inline std::int32_t LowInt32(std::int64_t v)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
}

} // namespace velmora

namespace velmora {

// A decimal number at the start of text: optional sign, digits with an
// optional "." and fraction (or "." and digits), optional exponent. No "inf",
// "nan" or hexadecimal forms, and the separator is "." whatever the locale.
// Magnitudes beyond double give an infinity, tiny ones zero.
struct DecimalScan {
    double value = 0;
    std::size_t length = 0; // characters used; 0 when no number starts here
};
DecimalScan ScanDecimal(std::string_view text);

// The float rule of the track and preferences files: the text "+Infinity",
// "-Infinity" or "NaN" in any letter case, with nothing but white space
// around it, gives that value; otherwise leading white space is skipped and
// a decimal number read; no number gives 0.
double ReadFloatText(std::string_view text);

// Fixed-point with at most `decimals` decimals, trailing zeros and a bare
// point removed; zero, and what rounds to it, is "0" without a sign;
// "+Infinity", "-Infinity", "NaN".
std::string FormatTrimmed(double v, int decimals);

// FormatTrimmed with 10 decimals.
std::string FormatFloat10(double v);

// Fixed-point with exactly `decimals` decimals: 12.35, 0.0; a negative value
// that rounds to zero has no sign. "+Infinity", "-Infinity", "NaN".
std::string FormatFixed(double v, int decimals);

// The general conversion with 64 significant digits ("%.64g"), with the same
// texts for infinities and NaN.
std::string FormatFloatG64(double v);

// The shortest plain decimal (no exponent) that reads back as exactly v:
// 0.05, 2, -102.4, 0.00001. Zero is "0"; "+Infinity", "-Infinity", "NaN".
std::string FormatShortest(double v);

// For messages: FormatShortest while that stays short (magnitudes from
// 0.000001 to below 1e15, and 0), else the shortest text with an exponent
// ("1e+300", "-2.5e-12"), so that no message carries hundreds of digits.
// Read back by ScanDecimal, not written to files.
std::string FormatBrief(double v);

// A plain decimal (no exponent) rounded to `digits` significant digits, with
// trailing zeros removed, for numbers a person reads rather than a program:
// 0.05000000074505806 is "0.05", 1234.5678 is "1234.6"; digits before the
// point are never dropped (1234567.8 is "1234568"). Same texts as
// FormatTrimmed for zero, infinities and NaN.
std::string FormatSignificant(double v, int digits);

// The significant digits of the numbers shown to a person, in the status
// bar, dialogs and the facts told of a track: a map's scale of
// 0.05000000074505806 is 0.05.
inline constexpr int kShownDigits = 5;


// ASCII letters compare without regard to case; other bytes must match.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

} // namespace velmora
