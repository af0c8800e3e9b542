#include "core/track/editor.h"

#include "core/formats/number_text.h"
#include "core/geometry/angles.h"
#include "core/track/rounding.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace velmora {

namespace {

// The i-th field (from 0) of text split at every single blank.
std::string_view BlankField(std::string_view text, int index)
{
    for (int i = 0; i < index; ++i) {
        const std::size_t blank = text.find(' ');
        if (blank == std::string_view::npos)
            return {};
        text.remove_prefix(blank + 1);
    }
    return text.substr(0, text.find(' '));
}

// A compass bearing 0..359 from a whole screen direction in degrees. Values
// from a hand-edited file can be far outside -180..180, so the remainder is
// taken towards 0..359 in 64 bits.
int Bearing(std::int32_t degrees)
{
    const std::int64_t b = (static_cast<std::int64_t>(degrees) + 450) % 360;
    return static_cast<int>(b < 0 ? b + 360 : b);
}

// Hundredths of a pixel, the finest a point is written; whole pixels stay
// whole, so a user's click reads as it always has.
std::string Coordinate(double v)
{
    const double hundredths = RoundHalfEven(v * 100) / 100;
    return FormatShortest(std::isfinite(hundredths) ? hundredths : v);
}

CanvasPoint Pointer(const TrackModel& m)
{
    return {static_cast<double>(m.PointerX), static_cast<double>(m.PointerY)};
}

bool TurnRefused(const TrackModel& m, const Settings& s, CanvasPoint p)
{
    return s.AngleLimit < std::abs(ComputeReadout(m, p).t);
}

void StartAt(Editor& ed, const Settings& s, CanvasPoint p)
{
    TrackModel& m = ed.model;
    m.RedoStack.clear();
    ClearCursor(m);
    m.TrackPath = PointCommand('M', p.x, p.y);
    RebuildCursor(m);
    RequestRedraw(ed, s);
    ed.view.status1 = kTrackPrompt;
}

// A user's click measures the whole path again, as it always has; a
// program's clicks bring the cursor forward by the new stretch alone.
enum class Measure { WholePath, NewStretch };

void AppendTrackPoint(Editor& ed, const Settings& s, CanvasPoint p, Measure measure)
{
    TrackModel& m = ed.model;
    if (m.StartAngle == -1)
        m.StartAngle = FirstStretchAngle(m.TrackPath, p);
    const std::string command = PointCommand('L', p.x, p.y);
    m.TrackPath += command;
    // Nothing here ever disables it, so a long path is not counted again.
    if (!ed.view.closeLoopEnabled && LongEnoughToClose(m.TrackPath))
        ed.view.closeLoopEnabled = true;
    if (measure == Measure::WholePath)
        RebuildCursor(m);
    else
        ExtendCursor(m, command);
    RequestRedraw(ed, s);
}

} // namespace

std::string PointCommand(char letter, double x, double y)
{
    return std::string(1, letter) + ' ' + Coordinate(x) + ' ' + Coordinate(y) + ' ';
}

bool LongEnoughToClose(std::string_view path)
{
    std::size_t characters = 0;
    for (const char c : path)
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80; // not a continuation byte
    return characters >= kCloseLoopCharacters;
}

CanvasPoint StartPosition(std::string_view path)
{
    return {ReadFloatText(BlankField(path, 1)), ReadFloatText(BlankField(path, 2))};
}

// Single-precision steps and half-away rounding, as it has always had.
std::int32_t FirstStretchAngle(std::string_view path, CanvasPoint to)
{
    const CanvasPoint start = StartPosition(path);
    const float dx = static_cast<float>(to.x - start.x);
    const float dy = static_cast<float>(to.y - start.y);
    const float a = static_cast<float>(std::atan2(static_cast<double>(dy), static_cast<double>(dx)));
    const float degrees = static_cast<float>(a * kDegreesPerRadian);
    return ToInt32Saturated(RoundHalfAway(degrees));
}

void RequestRedraw(Editor& ed, const Settings& s)
{
    ++ed.view.redraws;
    if (!ed.model.TrackPath.empty())
        ed.view.status1 = SpacesText(ed.model.cursor.length, s.MarkerGap);
}

long long SpacesCount(double length, double markerGap)
{
    // A gap of 0 or less (an empty Options field) has no meaningful count.
    if (!(markerGap > 0))
        return 0;
    const double n = RoundHalfEven(length / markerGap);
    if (!std::isfinite(n) || std::fabs(n) > 9e18)
        return 0;
    return static_cast<long long>(n);
}

std::string SpacesText(double length, double markerGap)
{
    return std::to_string(SpacesCount(length, markerGap)) + " spaces";
}

void HandleLeftClick(Editor& ed, const Settings& s)
{
    if (ed.model.TextMode == 1)
        return; // the window measures the label text and calls PlaceText
    if (ed.model.TrackPath.empty()) {
        PlaceStart(ed, s);
        return;
    }
    // The pointer shows the verdict of the last pass; checked again here so
    // the click can never go by a verdict about an end the track no longer has.
    CheckTurn(ed, s);
    AddTrackPoint(ed, s);
}

void PlaceStart(Editor& ed, const Settings& s)
{
    StartAt(ed, s, Pointer(ed.model));
}

void AddTrackPoint(Editor& ed, const Settings& s)
{
    // The turn check of the last event pass left its verdict in the pointer.
    if (ed.view.notAllowedPointer)
        return;
    AppendTrackPoint(ed, s, Pointer(ed.model), Measure::WholePath);
}

bool ClickAt(Editor& ed, const Settings& s, CanvasPoint p)
{
    SamplePointer(ed, ToInt32Saturated(RoundHalfEven(p.x)), ToInt32Saturated(RoundHalfEven(p.y)));
    if (ed.model.TextMode == 1)
        return false;
    if (ed.model.TrackPath.empty()) {
        StartAt(ed, s, p);
        return true;
    }
    ed.view.notAllowedPointer = TurnRefused(ed.model, s, p);
    if (ed.view.notAllowedPointer)
        return false;
    AppendTrackPoint(ed, s, p, Measure::NewStretch);
    return true;
}

void NewTrack(Editor& ed, const Settings& s)
{
    TrackModel& m = ed.model;
    m.TrackPath.clear();
    m.RedoStack.clear();
    ClearCursor(m);
    m.labels.clear();
    m.markers.clear();
    ed.TrackFileName.clear();
    m.StartAngle = -1;
    ed.view.closeLoopEnabled = false;
    ed.view.notAllowedPointer = false;
    RequestRedraw(ed, s);
    ed.view.status1 = kStartPrompt;
    ed.view.status2 = " ";
}

void Undo(Editor& ed, const Settings& s)
{
    TrackModel& m = ed.model;
    if (m.TextMode == 1) {
        if (m.labels.empty())
            return;
        m.labels.pop_back();
        RequestRedraw(ed, s);
        return;
    }
    const std::string last = LastSegment(m.TrackPath);
    m.RedoStack.push_back(last);
    ed.view.redoEnabled = true;
    m.TrackPath.resize(m.TrackPath.size() - last.size());
    if (m.TrackPath.empty()) {
        // The cursor keeps its value here; nothing reads it without a path.
        m.StartAngle = -1;
        ed.view.redoEnabled = false;
        RequestRedraw(ed, s);
        ed.view.status1 = kStartPrompt;
        return;
    }
    ClearCursor(m);
    RequestRedraw(ed, s);
    ed.view.status1 = " ";
}

void Redo(Editor& ed, const Settings& s)
{
    TrackModel& m = ed.model;
    if (m.TextMode == 1)
        return;
    if (m.RedoStack.empty()) {
        ed.view.redoEnabled = false;
        return;
    }
    m.TrackPath += m.RedoStack.back();
    m.RedoStack.pop_back();
    RebuildCursor(m);
    RequestRedraw(ed, s);
}

void CloseLoop(Editor& ed, const Settings& s)
{
    ed.model.TrackPath += 'Z';
    RebuildCursor(ed.model);
    RequestRedraw(ed, s);
}

void ToggleAddText(Editor& ed)
{
    ed.model.TextMode = 1 - ed.model.TextMode;
    if (ed.model.TextMode == 1)
        ed.view.notAllowedPointer = false; // the turn check rests in text mode
}

void PlaceText(Editor& ed, const Settings& s, const std::string& text, int size, int w, int h)
{
    if (text.empty())
        return;
    TrackModel& m = ed.model;
    // Integer division truncating towards zero centres the box on the
    // pointer, half a pixel up or left for even sizes.
    const std::int64_t x = static_cast<std::int64_t>(m.PointerX) - w / 2;
    const std::int64_t y = static_cast<std::int64_t>(m.PointerY) - h / 2;
    m.labels.push_back({text, LowInt32(x), LowInt32(y), size});
    RequestRedraw(ed, s);
}

void AddRLMarker(Editor& ed, int type)
{
    ed.model.markers.push_back({type, ed.model.PointerX, ed.model.PointerY});
    ++ed.view.markerDraws;
}

int TurnAngle(int c, int m)
{
    const std::int64_t d = static_cast<std::int64_t>(c) - m;
    if (std::llabs(d) <= 180)
        return static_cast<int>(-d);
    if (d > 180)
        return static_cast<int>(360 - d);
    return static_cast<int>(-(d + 360));
}

Readout ComputeReadout(const TrackModel& model)
{
    return ComputeReadout(model, Pointer(model));
}

Readout ComputeReadout(const TrackModel& model, CanvasPoint p)
{
    const TrackCursor& cur = model.cursor;
    const float heading = static_cast<float>(cur.angle);
    const float headingDegrees = static_cast<float>(heading * kDegreesPerRadian);
    const int c = Bearing(ToInt32Saturated(RoundHalfAway(headingDegrees)));

    const float dx = static_cast<float>(p.x - cur.x);
    const float dy = static_cast<float>(p.y - cur.y);
    const float toPointer =
        static_cast<float>(std::atan2(static_cast<double>(dy), static_cast<double>(dx)) * kDegreesPerRadian);
    const int m = Bearing(ToInt32Saturated(RoundHalfEven(toPointer)));
    return {c, m, TurnAngle(c, m)};
}

void SamplePointer(Editor& ed, int pointerX, int pointerY)
{
    ed.model.PointerX = pointerX;
    ed.model.PointerY = pointerY;
    ed.view.status0 = std::to_string(pointerX) + ", " + std::to_string(pointerY);
}

void ShowReadout(Editor& ed, const Settings& s)
{
    if (ed.model.TrackPath.empty())
        return;
    const Readout r = ComputeReadout(ed.model);
    ed.view.status2 =
        std::to_string(r.c) + " --> " + std::to_string(r.m) + " = " + std::to_string(r.t) + " deg";
    CheckTurn(ed, s); // the readout keeps going in text mode; the shape does not
}

void CheckTurn(Editor& ed, const Settings& s)
{
    if (ed.model.TrackPath.empty() || ed.model.TextMode == 1)
        return;
    ed.view.notAllowedPointer = TurnRefused(ed.model, s, Pointer(ed.model));
}

} // namespace velmora
