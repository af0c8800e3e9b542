#include "render/gazebo/xml_text.h"

#include "core/formats/number_text.h"
#include "core/track/rounding.h"

#include <cmath>

namespace velmora {

std::string XmlEscaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string Decimal(double v, int places)
{
    const double scale = std::pow(10.0, places);
    const double rounded = RoundHalfEven(v * scale) / scale;
    // Values too large to round at this precision are already whole.
    return FormatShortest(std::isfinite(rounded) ? rounded : v);
}

} // namespace velmora
