// Any bytes must read as a centreline or be refused with a one-line reason,
// and every centreline that imports must give clicks a user could make (to
// the hundredth of a pixel) on the canvas, never two equal in a row, the loop closed or open as
// asked.
#include "core/inputs/centreline_import.h"
#include "core/track/path.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void CheckReason(const std::string& error)
{
    if (error.empty() || error.find('\n') != std::string::npos)
        __builtin_trap();
}

void CheckClicks(const velmora::ImportedCentreline& out, const velmora::CentrelineImportOptions& o)
{
    const std::vector<velmora::PathFigure> figures = velmora::ParsePathText(out.model.TrackPath);
    if (figures.size() != 1 || figures[0].closed == o.open)
        __builtin_trap();
    const std::vector<velmora::PathPoint>& p = figures[0].points;
    if (p.size() < (o.open ? 2u : 3u) || !(out.frame.metresPerPixel > 0) || !(out.trackWidth > 0))
        __builtin_trap();
    for (std::size_t i = 0; i < p.size(); ++i) {
        const velmora::PathPoint a = p[i];
        if (a.x < 0 || a.y < 0 || a.x > float(o.canvasWidth) || a.y > float(o.canvasHeight))
            __builtin_trap();
        const velmora::PathPoint b = p[(i + 1) % p.size()];
        if ((i + 1 < p.size() || !o.open) && a.x == b.x && a.y == b.y)
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const velmora::Result<std::vector<velmora::CentrelineRow>> rows = velmora::ReadCentrelineRows(bytes);
    if (!rows) {
        CheckReason(rows.error());
        return 0;
    }
    // Fitted and closed as by default, then at a fixed scale, open, with a
    // strict angle limit and the width taken from the file on a small canvas.
    velmora::CentrelineImportOptions fitted;
    velmora::CentrelineImportOptions scaled;
    scaled.canvasWidth = 300;
    scaled.canvasHeight = 200;
    scaled.metresPerPixel = 0.5;
    scaled.open = true;
    scaled.angleLimit = 60;
    scaled.trackWidthFromFile = true;
    for (const velmora::CentrelineImportOptions& o : {fitted, scaled}) {
        const velmora::Result<velmora::ImportedCentreline> out = velmora::ImportCentreline(*rows, o);
        if (out.ok())
            CheckClicks(*out, o);
        else
            CheckReason(out.error());
    }
    return 0;
}
