#include "core/formats/deepracer_npy.h"

#include "core/geometry/polygon_area.h"
#include "core/track/world_rows.h"

#include <bit>
#include <cstdint>
#include <vector>

namespace velmora {

namespace {

// The data starts on this boundary, as NumPy itself pads its headers.
constexpr std::size_t kAlign = 64;
constexpr std::size_t kColumns = 6;

std::string Header(std::size_t rows)
{
    const std::string magic("\x93NUMPY\x01\x00", 8);
    std::string dict =
        "{'descr': '<f8', 'fortran_order': False, 'shape': (" + std::to_string(rows) + ", 6), }";
    // Two bytes of length follow the magic; the dict ends in a newline.
    const std::size_t used = magic.size() + 2 + dict.size() + 1;
    dict.append((kAlign - used % kAlign) % kAlign, ' ');
    dict += '\n';
    const auto length = static_cast<std::uint16_t>(dict.size());
    return magic + static_cast<char>(length & 0xFF) + static_cast<char>(length >> 8) + dict;
}

void AppendLittleEndian(std::string& out, double v)
{
    const auto bits = std::bit_cast<std::uint64_t>(v);
    for (int i = 0; i < 8; ++i)
        out += static_cast<char>((bits >> (8 * i)) & 0xFF);
}


} // namespace

Result<std::string> DeepRacerNpy(const TrackSamples& samples, const WorldFrame& frame)
{
    if (!samples.closed)
        return Fail("DeepRacer tracks are loops; this track is open (close it to write its .npy)");
    if (samples.rows.empty())
        return Fail("the track has no stretch to sample");
    const Result<std::vector<WorldRow>> world = WorldRows(samples, frame);
    if (!world)
        return Fail(world.error());
    // The canvas's y runs down, so a loop counter-clockwise in the world
    // (inside on the left) has a negative area on the canvas.
    const bool insideOnTheLeft = TwiceSignedArea(samples.rows) <= 0;
    const std::size_t rows = world->size() + 1;
    std::string out = Header(rows);
    out.reserve(out.size() + rows * kColumns * 8);
    for (std::size_t i = 0; i < rows; ++i) {
        const WorldRow& w = (*world)[i % world->size()];
        const double values[kColumns] = {w.x,
                                         w.y,
                                         insideOnTheLeft ? w.xLeft : w.xRight,
                                         insideOnTheLeft ? w.yLeft : w.yRight,
                                         insideOnTheLeft ? w.xRight : w.xLeft,
                                         insideOnTheLeft ? w.yRight : w.yLeft};
        for (const double v : values)
            AppendLittleEndian(out, v);
    }
    return out;
}

} // namespace velmora
