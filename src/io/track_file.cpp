#include "io/track_file.h"

// Placeholder until the track file lands.
namespace velmora {

std::string WriteTrackFile(const TrackModel&) { return {}; }
void ReadTrackFile(std::string_view, TrackModel&) {}

}  // namespace velmora
