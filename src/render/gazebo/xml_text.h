#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Text safe in XML content and attribute values.
std::string XmlEscaped(std::string_view text);

// v rounded to `places` decimals, halves to even, in its shortest plain form
// whatever the locale: 12.35, -40.2, 3; negative zero is "0".
std::string Decimal(double v, int places);

} // namespace velmora
