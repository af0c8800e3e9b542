#pragma once

#include <string>
#include <string_view>

#include "core/track/track_model.h"

namespace velmora {

// The bytes of a .trk file: Windows-1252 text with CR LF line ends.
std::string WriteTrackFile(const TrackModel& model);

// Replaces the persistent part of the model (path, cursor, start angle when
// the file has one, labels, markers) and empties the redo stack. Accepts any
// bytes.
void ReadTrackFile(std::string_view bytes, TrackModel& model);

}  // namespace velmora
