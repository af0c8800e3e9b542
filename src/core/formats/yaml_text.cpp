#include "core/formats/yaml_text.h"

#include "core/formats/number_text.h"

#include <cstdio>

namespace velmora {

namespace {

bool PlainSafe(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || c >= 0x80;
}

} // namespace

std::string YamlFloat(double v)
{
    std::string text = FormatShortest(v);
    if (text.find('.') == std::string::npos)
        text += ".0";
    return text;
}

std::string YamlText(std::string_view text)
{
    bool plain = !text.empty() && text.front() != '-' && text.front() != '.';
    for (const char c : text)
        plain = plain && PlainSafe(static_cast<unsigned char>(c));
    if (plain)
        return std::string(text);
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            out += hex;
        } else {
            out += c;
        }
    }
    return out + '"';
}

} // namespace velmora
