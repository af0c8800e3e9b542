#pragma once

#include <string>
#include <string_view>

#include "core/track/track_model.h"

namespace velmora {

// The bytes of a .trk file: Windows-1252 text with CR LF line ends.
std::string WriteTrackFile(const TrackModel& model);

// Replaces the persistent part of the model (path, cursor, start angle when
// the file has one, labels, markers) and empties the redo stack. Accepts any
// bytes. Returns false when the file ends before its sections ("*text*",
// "*cursor*", the start angle line, "*markers*", in that order) are all
// there: labels, cursor or markers may then be missing.
bool ReadTrackFile(std::string_view bytes, TrackModel& model);

// Whether the bytes can be a track file at all: the first line holds no
// control byte but tab, and is empty or begins, after blanks, with a moveto
// ("M" or "m" and a number) or a closepath ("Z" or "z", which the editor
// can save).
// Anything else would become the path and be saved back as it is.
bool LooksLikeTrackFile(std::string_view bytes);

}  // namespace velmora
