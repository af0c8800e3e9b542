#pragma once

#include "core/settings/settings.h"
#include "core/track/simplify.h"
#include "core/track/track_model.h"

#include <cstddef>
#include <vector>

namespace velmora {

// A track made by clicking points into the editor, or where the editor's
// angle rule stopped it.
struct ClickedTrack {
    static constexpr std::size_t kAllTaken = static_cast<std::size_t>(-1);

    TrackModel model;               // as the editor holds (and saves) it
    std::size_t corner = kAllTaken; // the point where the track would turn too sharply
    int turn = 0;                   // that turn, whole degrees, as the readout shows it
    bool firstStretch = false;      // refused by the check of the first stretch, which
                                    // measures from the canvas's top-left corner

    bool ok() const { return corner == kAllTaken; }
};

// Clicks the points into a fresh editor one after the other, as a user
// would with the pointer resting on each (the first is the start), then
// closes the loop when `closed`. A loop must also turn within the limit
// where it closes: into the closing stretch and from it into the first.
// Points may hold hundredths of a pixel.
ClickedTrack ClickTrack(const std::vector<CanvasPoint>& points, bool closed, const Settings& s);

} // namespace velmora
