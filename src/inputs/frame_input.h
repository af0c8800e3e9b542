#pragma once

#include "core/inputs/frame_sidecar.h"
#include "core/raceline/source_edges.h"
#include "core/result.h"

#include <QString>
#include <optional>
#include <string_view>

namespace velmora {

// The world a track file's NAME_frame.yaml gives it, with the names in it
// made usable from here: a vehicle file and a map are named relative to the
// frame file's folder, so that they move together.
struct FrameInput {
    TrackWorld world; // its vehicle a shipped name, an absolute path or one from the working folder
    QString path;     // the frame file
};

// The frame file of the track at `trackPath`, whose bytes are
// `trackBytes`; none when there is no such file. A frame file that cannot be
// read, is empty, or was written for other bytes than the track's (a file
// left from another track of that name) is refused, naming it: the track
// is then read without a world, or not at all, as the caller decides.
Result<std::optional<FrameInput>> ReadFrameBeside(const QString& trackPath, std::string_view trackBytes);

// The frame file's text for a track written at `trackPath` as `trackBytes`:
// the track's checksum, by which it knows its track; a vehicle file and the
// map named relative to the frame file's folder; a circuit's or a map's
// own edges, when given (of a map's walls only what finds them on the map
// again: the map itself is named).
std::string FrameFileText(TrackWorld world, const SourceEdges* edges, const QString& trackPath,
                          std::string_view trackBytes);

// Removes the frame file of the track at `trackPath`, if there is one: a
// track written without a world must not take one left from before.
Status RemoveFrameBeside(const QString& trackPath);

// The frame file of the track at `trackPath`.
QString FramePath(const QString& trackPath);

} // namespace velmora
