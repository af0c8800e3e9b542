#include "track/editor.h"

// Placeholder until the editing rules land.
namespace velmora {

void RequestRedraw(Editor& ed, const Settings&) { ++ed.view.redraws; }
std::string SpacesText(double, double) { return "0 spaces"; }
void HandleLeftClick(Editor&, const Settings&) {}
void PlaceStart(Editor&, const Settings&) {}
void AddTrackPoint(Editor&, const Settings&) {}
void NewTrack(Editor&, const Settings&) {}
void Undo(Editor&, const Settings&) {}
void Redo(Editor&, const Settings&) {}
void CloseLoop(Editor&, const Settings&) {}
void ToggleAddText(Editor&) {}
void PlaceText(Editor&, const Settings&, const std::string&, int, int, int) {}
void AddRLMarker(Editor&, int) {}
int TurnAngle(int, int) { return 0; }
Readout ComputeReadout(const TrackModel&) { return {}; }
void SamplePointer(Editor&, int, int) {}
void ShowReadout(Editor&, const Settings&) {}

}  // namespace velmora
