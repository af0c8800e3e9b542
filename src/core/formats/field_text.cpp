#include "core/formats/field_text.h"

namespace velmora {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string QuotedField(std::string_view field)
{
    constexpr std::size_t kLongest = 40;
    std::string out = "\"";
    for (std::size_t i = 0; i < field.size() && i < kLongest; ++i) {
        const auto c = static_cast<unsigned char>(field[i]);
        out += c < 0x20 || c >= 0x7F ? '?' : static_cast<char>(c);
    }
    if (field.size() > kLongest)
        out += "...";
    return out + '"';
}

} // namespace velmora
