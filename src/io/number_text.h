#pragma once

#include <cstdint>
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

}  // namespace velmora
