#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Text safe in XML content and attribute values.
std::string XmlEscaped(std::string_view text);

} // namespace velmora
