#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora {

// An 8-bit grey picture, rows from the top, 0 black, 255 white: an
// occupancy map as it comes from its file.
struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> values; // width * height

    std::uint8_t At(int x, int y) const { return values[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

} // namespace velmora
