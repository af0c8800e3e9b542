// The RL data of any track and settings must either be refused with a reason
// or be built within the line cap, with one row per line and per marker.
//
// Input layout: 2 bytes marker gap, 2 bytes track width, 1 byte marker count
// (up to 7 markers of 9 bytes each: type, x, y), then the path text.
#include "core/formats/rl_data.h"
#include "core/track/path.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

void Check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

struct Reader {
    const std::uint8_t* data;
    std::size_t size;

    bool Take(void* out, std::size_t n)
    {
        if (size < n)
            return false;
        std::memcpy(out, data, n);
        data += n;
        size -= n;
        return true;
    }
};

// A 16-bit code spread over the values worth trying: small fractions, whole
// pixel counts, zero, negatives, huge values, infinity and NaN.
double SettingFrom(std::uint16_t code)
{
    switch (code >> 12) {
    case 0:
        return (code & 0x0fff) / 64.0;
    case 1:
        return -static_cast<double>(code & 0x0fff);
    case 2:
        return std::ldexp(1.0, (code & 0x03ff) - 512);
    case 3:
        return code == 0x3000 ? INFINITY : code == 0x3001 ? -INFINITY : code == 0x3002 ? NAN : 0.0;
    default:
        return static_cast<double>(code & 0x0fff);
    }
}

std::size_t Count(std::string_view text, std::string_view what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Reader in{data, size};
    std::uint16_t gapCode = 0;
    std::uint16_t widthCode = 0;
    std::uint8_t markerCount = 0;
    if (!in.Take(&gapCode, 2) || !in.Take(&widthCode, 2) || !in.Take(&markerCount, 1))
        return 0;
    std::vector<velmora::RLMarker> markers;
    for (int i = 0; i < (markerCount & 7); ++i) {
        velmora::RLMarker m;
        std::uint8_t type = 0;
        if (!in.Take(&type, 1) || !in.Take(&m.x, 4) || !in.Take(&m.y, 4))
            return 0;
        m.type = type % 4;
        markers.push_back(m);
    }
    const double gap = SettingFrom(gapCode);
    const double width = SettingFrom(widthCode);
    const std::string_view text(reinterpret_cast<const char*>(in.data), in.size);
    const velmora::PathMeasure path(text);
    // The width is checked apart: BuildRLExport must hold up under any.
    if (!velmora::RLExportProblem(path, gap, 0))
        return 0;
    const velmora::RLExport out = velmora::BuildRLExport(path, markers, gap, width);
    const std::size_t lines = out.endMarks.size() / 2;
    Check(out.endMarks.size() % 2 == 0);
    Check(lines >= 1 && lines <= static_cast<std::size_t>(velmora::kMaxRLLines));
    // A header, one row per line, the markers' two header rows and their rows.
    Check(Count(out.text, "\r\n") == 1 + lines + 2 + markers.size());
    return 0;
}
