#include "core/track/click_track.h"

#include "core/track/editor.h"

#include <cstdlib>

namespace velmora {

namespace {

// The turn the readout would show with the pointer on p, if the limit
// refuses it.
bool Refuses(const Editor& ed, const Settings& s, CanvasPoint p, int& turn)
{
    turn = ComputeReadout(ed.model, p).t;
    return s.AngleLimit < std::abs(turn);
}

} // namespace

ClickedTrack ClickTrack(const std::vector<CanvasPoint>& points, bool closed, const Settings& s)
{
    ClickedTrack out;
    Editor ed;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (ClickAt(ed, s, points[i]))
            continue;
        out.corner = i - 1;
        out.turn = ComputeReadout(ed.model, points[i]).t;
        out.firstStretch = i == 1;
        return out;
    }
    // The clicks measured each new stretch alone; the track keeps the cursor
    // the whole path gives, as the editor saves it.
    RebuildCursor(ed.model);
    const std::size_t n = points.size();
    if (closed && n >= 2) {
        if (Refuses(ed, s, points[0], out.turn)) {
            out.corner = n - 1;
            return out;
        }
        CloseLoop(ed, s);
        if (Refuses(ed, s, points[1], out.turn)) {
            out.corner = 0;
            return out;
        }
    }
    out.model = std::move(ed.model);
    return out;
}

} // namespace velmora
