// Any path text must read and measure without fault, and every query must
// give finite values within the path's reach.
#include "core/track/path.h"
#include "core/track/track_model.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void Check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

void CheckSample(const velmora::PathSample& s)
{
    Check(std::isfinite(s.x) && std::isfinite(s.y));
    Check(s.degrees > -180.0000001 && s.degrees <= 180.0000001);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const velmora::PathMeasure m(text);
    const double total = m.TotalLength();
    Check(std::isfinite(total) && total >= 0);
    for (double s : {-1.0, 0.0, total * 0.25, total * 0.5, total, total + 1, std::nan("")})
        CheckSample(m.At(s));
    for (const auto& seg : m.Segments()) {
        CheckSample(m.At(seg.start));
        CheckSample(m.At(seg.start + seg.length));
    }
    velmora::TrackModel model;
    model.TrackPath = std::string(text);
    velmora::RebuildCursor(model);
    Check(model.cursor.length == total);
    return 0;
}
