#pragma once

#include <cstdint>
#include <string>

#include "core/settings/settings.h"
#include "core/track/track_model.h"

namespace velmora {

inline constexpr char kStartPrompt[] = "<LC> to place start position; <RC> to Undo";
inline constexpr char kTrackPrompt[] = "<LC> to place track; <RC> to Undo";

// What the main window shows besides the canvas. The editing rules keep it
// up to date; the window only mirrors it after every event and command.
struct EditorView {
    bool closeLoopEnabled = false;
    bool redoEnabled = false;
    bool notAllowedPointer = false;  // the canvas shows the not-allowed shape
    std::string status0;
    std::string status1 = kStartPrompt;
    std::string status2;
    unsigned redraws = 0;  // bumped by every full redraw a command asks for
    unsigned markerDraws = 0;  // bumped when the RL icons are drawn alone
};

// The open document: the track model, the file it is saved to and what the
// window shows of it.
struct Editor {
    TrackModel model;
    std::string TrackFileName;
    EditorView view;
};

// A full redraw as the model sees it: counts it and, while a path exists,
// writes the length in marker gaps to status field 1.
void RequestRedraw(Editor& ed, const Settings& s);

// The text of status field 1 after a redraw of a non-empty path:
// n followed by " spaces"; 0 when the gap is 0 or less or not a number.
std::string SpacesText(double length, double markerGap);

// The command a click appends: the letter, x and y, a blank after each.
std::string PointCommand(char letter, std::int32_t x, std::int32_t y);

// The StartAngle a track point at (PointerX, PointerY) sets while it is -1:
// the direction from the start written at the head of TrackPath.
std::int32_t FirstStretchAngle(const TrackModel& model);

// Canvas events. Placement uses PointerX/PointerY, not the click position.
// A left click in text mode places a label instead: the window measures the
// text and calls PlaceText.
void HandleLeftClick(Editor& ed, const Settings& s);
void PlaceStart(Editor& ed, const Settings& s);
void AddTrackPoint(Editor& ed, const Settings& s);

// Menu commands.
void NewTrack(Editor& ed, const Settings& s);
void Undo(Editor& ed, const Settings& s);
void Redo(Editor& ed, const Settings& s);
void CloseLoop(Editor& ed, const Settings& s);
void ToggleAddText(Editor& ed);
// w and h are the text's box measured with the label's font by the caller.
void PlaceText(Editor& ed, const Settings& s, const std::string& text, int size, int w, int h);
void AddRLMarker(Editor& ed, int type);

// The turn check and status readout.
int TurnAngle(int c, int m);
struct Readout {
    int c = 0;  // bearing in which the track ends
    int m = 0;  // bearing from the track's end to the pointer
    int t = 0;  // signed turn from c to m
};
Readout ComputeReadout(const TrackModel& model);
void SamplePointer(Editor& ed, int pointerX, int pointerY);  // status field 0
void ShowReadout(Editor& ed, const Settings& s);  // status field 2 + pointer shape
// The pointer shape alone: not allowed when the turn to the pointer from the
// track's end exceeds AngleLimit. Rests while the path is empty or in text mode.
void CheckTurn(Editor& ed, const Settings& s);

}  // namespace velmora
