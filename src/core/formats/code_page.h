#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Track files are Windows-1252 on every platform; in memory text is UTF-8.
// Characters the code page lacks, and malformed UTF-8, become "?". The five
// bytes the code page leaves undefined map to the C1 controls of the same
// value, so any byte string survives a round trip.
std::string Utf8ToCp1252(std::string_view utf8);
std::string Cp1252ToUtf8(std::string_view bytes);

// ISO-8859-1 bytes as UTF-8 (every byte is the code point of its value).
std::string Latin1ToUtf8(std::string_view bytes);

} // namespace velmora
