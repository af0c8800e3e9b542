#pragma once

#include "core/settings/settings.h"
#include "core/track/simplify.h"
#include "core/track/track_model.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

inline constexpr char kStartPrompt[] = "<LC> to place start position; <RC> to Undo";
inline constexpr char kTrackPrompt[] = "<LC> to place track; <RC> to Undo";

// What the main window shows besides the canvas. The editing rules keep it
// up to date; the window only mirrors it after every event and command.
struct EditorView {
    bool closeLoopEnabled = false;
    bool redoEnabled = false;
    bool notAllowedPointer = false; // the canvas shows the not-allowed shape
    std::string status0;
    std::string status1 = kStartPrompt;
    std::string status2;
    unsigned redraws = 0;     // bumped by every full redraw a command asks for
    unsigned markerDraws = 0; // bumped when the RL icons are drawn alone
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

// The length in marker gaps, halves to even, that a redraw of a non-empty
// path shows: 0 when the gap is 0 or less or not a number, or the count
// would not fit.
long long SpacesCount(double length, double markerGap);
// Status field 1 after that redraw: the count followed by " spaces".
std::string SpacesText(double length, double markerGap);

// Close Loop is offered once the path text holds this many characters (a
// start and five points with three-digit coordinates), counted as the track
// file holds them: one per character, however many bytes it takes in UTF-8.
inline constexpr std::size_t kCloseLoopCharacters = 62;
bool LongEnoughToClose(std::string_view path);

// The command a click appends: the letter, x and y, a blank after each. A
// user's click is whole pixels ("L 300 200 "); an imported circuit keeps
// hundredths ("L 412.37 88.05 "), which is as far as a point is rounded.
std::string PointCommand(char letter, double x, double y);

// The start position written at the head of a path text: its second and
// third blank-separated fields read as decimal numbers whatever the locale;
// a field that is no number reads as 0.
CanvasPoint StartPosition(std::string_view path);

// The StartAngle a track point at `to` sets while it is -1: the direction
// from the start written at the head of the path.
std::int32_t FirstStretchAngle(std::string_view path, CanvasPoint to);

// Canvas events. Placement uses PointerX/PointerY, not the click position.
// A left click in text mode places a label instead: the window measures the
// text and calls PlaceText.
void HandleLeftClick(Editor& ed, const Settings& s);
void PlaceStart(Editor& ed, const Settings& s);
void AddTrackPoint(Editor& ed, const Settings& s);
// A left click with the pointer resting at p, as a program makes it for the
// user: the pointer is sampled there, then the start is placed or a track
// point added unless the turn check refuses it. Unlike a user's pointer, p
// may hold hundredths of a pixel; the turn is checked and the point written
// at them. The cursor is brought forward by the new stretch alone
// (ExtendCursor), so clicking thousands of points stays linear. Returns
// whether the track took the point.
bool ClickAt(Editor& ed, const Settings& s, CanvasPoint p);

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
    int c = 0; // bearing in which the track ends
    int m = 0; // bearing from the track's end to the pointer
    int t = 0; // signed turn from c to m
};
Readout ComputeReadout(const TrackModel& model);
// The same with the pointer at p instead of (PointerX, PointerY).
Readout ComputeReadout(const TrackModel& model, CanvasPoint p);
void SamplePointer(Editor& ed, int pointerX, int pointerY); // status field 0
void ShowReadout(Editor& ed, const Settings& s);            // status field 2 + pointer shape
// The pointer shape alone: not allowed when the turn to the pointer from the
// track's end exceeds AngleLimit. Rests while the path is empty or in text mode.
void CheckTurn(Editor& ed, const Settings& s);

} // namespace velmora
