#pragma once

#include "core/raceline/source_edges.h"
#include "core/result.h"
#include "core/settings/settings.h"
#include "core/track/track_generator.h"
#include "core/track/track_model.h"
#include "core/track/world_frame.h"
#include "export_tool/export_options.h"
#include "inputs/vehicle_choice.h"
#include "inputs/file_read.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

namespace velmora {

// One track as the export writes it out.
struct TrackJob {
    TrackModel model;
    Settings settings; // the run's settings with this track's TrackWidth
    WorldFrame frame;  // of its outputs in metres
    std::string note;  // how a circuit was read (scale, width), told with the facts
    // A circuit file's own edges, when it gives widths.
    SourceEdges sourceEdges;
    // The car its NAME_frame.yaml names, for the race line when --vehicle
    // does not name one.
    std::optional<NamedVehicle> vehicle;
};

// A track argument ending in ".csv", in any letter case, is a circuit's
// centre line; anything else a track file.
bool IsCentrelineInput(const QString& path);

// Reads a track file, imports a circuit's centre line onto the canvas of
// `base` at the scale and track width the options ask for, or finds the
// track on an occupancy map (on a canvas the map's size, in its frame). `base` is left as
// it is: what differs for this track goes into the job.
Result<TrackJob> ReadTrackInput(const ExportOptions& o, const Settings& base, const QString& path);

// Makes generated track `index` of the run with the options' seed, lengths
// and markers on the canvas of `base`.
Result<TrackJob> GenerateTrackInput(const ExportOptions& o, const Settings& base, std::uint64_t index);

// The generator's options for a run: the lengths asked for, else those that
// suit the canvas of `s`.
GeneratorOptions GeneratorOptionsFor(const ExportOptions& o, const Settings& s);

// The world frame of the run's tracks: --scale and --origin.
WorldFrame RunFrame(const ExportOptions& o);

// The run's settings for every track: `base` with --track-width applied.
Settings RunSettings(const ExportOptions& o, const Settings& base);

} // namespace velmora
