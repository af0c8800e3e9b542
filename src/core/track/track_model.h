#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Where and in which direction the track ends; saved as the *cursor* section.
struct TrackCursor {
    double x = 0;
    double y = 0;
    double length = 0;
    double angle = 0; // radians, (-pi, pi]
    std::string lastSegment;

    bool operator==(const TrackCursor&) const = default;
};

struct TextLabel {
    std::string text;      // UTF-8 in memory
    std::int32_t x = 0;    // left edge of the text box
    std::int32_t y = 0;    // top edge of the text box
    std::int32_t size = 2; // 1 small, 2 medium, 3 large

    bool operator==(const TextLabel&) const = default;
};

struct RLMarker {
    std::int32_t type = 1; // 1, 2 or 3: which shortcut placed it
    std::int32_t x = 0;    // centre
    std::int32_t y = 0;

    bool operator==(const RLMarker&) const = default;
};

// The whole editable state of the one open track. The track is held as SVG
// path text, never as points: every command appends to or cuts from it.
struct TrackModel {
    std::string TrackPath;
    TrackCursor cursor;
    std::int32_t StartAngle = -1;       // whole degrees; -1 while unset
    std::vector<std::string> RedoStack; // back() is the top
    std::vector<TextLabel> labels;
    std::vector<RLMarker> markers;
    int TextMode = 0;
    std::int32_t PointerX = 0;
    std::int32_t PointerY = 0;
};

// The last command of a path text (from the last M, L, C or Z to the end),
// or empty text.
std::string LastSegment(std::string_view path);

// Recomputes the cursor from TrackPath with the path measuring rules.
void RebuildCursor(TrackModel& model);

// RebuildCursor after one straight command ("L x y ") was appended to a
// path whose cursor RebuildCursor (or this) made: measures only the new
// stretch, so a program clicking thousands of points stays linear. Falls
// back to the whole path when the cursor is not the one the path before
// the command left (after an Undo, say).
void ExtendCursor(TrackModel& model, std::string_view appended);

void ClearCursor(TrackModel& model);

} // namespace velmora
