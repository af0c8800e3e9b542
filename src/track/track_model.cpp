#include "track/track_model.h"

// Placeholder until the model lands.
namespace velmora {

std::string LastSegment(std::string_view) { return {}; }
void RebuildCursor(TrackModel&) {}
void ClearCursor(TrackModel& model) { model.cursor = {}; }

}  // namespace velmora
