#pragma once

#include <string>
#include <string_view>

namespace velmora {

// The text without the blanks (space, tab, CR, VT, FF) around it: how the
// line-based files we read take their fields.
std::string_view TrimBlanks(std::string_view text);

// A field as a message quotes it: in double quotes, one line of plain ASCII
// ('?' for anything else), at most 40 characters and "..." after them.
std::string QuotedField(std::string_view field);

} // namespace velmora
