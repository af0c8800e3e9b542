#include "core/formats/ros_map_yaml.h"

#include "core/formats/number_text.h"

#include <cstdio>

namespace velmora {

namespace {

// YAML 1.1 readers (PyYAML in the gym) take a number without a point for an
// integer and one with an exponent for text; the shortest plain form with a
// point is read as a float everywhere.
std::string YamlFloat(double v)
{
    std::string text = FormatShortest(v);
    if (text.find('.') == std::string::npos)
        text += ".0";
    return text;
}

bool PlainSafe(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || c >= 0x80;
}

// File names of letters, digits, "_", "-" and "." stand as they are; anything
// else (blanks, ":", "#", quotes) goes in double quotes.
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

} // namespace

std::string RosMapYaml(std::string_view imageName, double resolution, double originX, double originY)
{
    return "image: " + YamlText(imageName) + "\n" + "resolution: " + YamlFloat(resolution) + "\n" +
           "origin: [" + YamlFloat(originX) + ", " + YamlFloat(originY) + ", 0.0]\n" +
           "negate: 0\n"
           "occupied_thresh: 0.65\n"
           "free_thresh: 0.196\n";
}

} // namespace velmora
