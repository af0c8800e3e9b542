#pragma once

#include "core/mapin/map_centreline.h"
#include "core/raceline/source_edges.h"
#include "core/result.h"
#include "core/settings/settings.h"
#include "core/track/track_generator.h"
#include "core/track/track_model.h"
#include "core/track/world_frame.h"
#include "inputs/ros_map_load.h"
#include "inputs/vehicle_choice.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velmora {

// What the caller says of how its tracks come in: the tool from its command
// line, the editor from its settings. Whatever is not given here comes from
// the source itself (a circuit's widths, a frame file's world) or from the
// defaults.
struct InputOptions {
    WorldFrame frame;            // the frame of a track that brings none
    bool scaleGiven = false;     // the frame's scale wins over the source's
    bool originGiven = false;    // the frame's origin wins over the source's
    bool open = false;           // circuits: leave the track open
    double trackWidth = 0;       // pixels; 0: none given
    double trackWidthMetres = 0; // above 0: this wide at whatever scale the track gets
    bool trackWidthFromCsv = false;
    // A circuit that gives no widths, with no width given, is drawn this
    // many pixels wide: the editor's own track width, which its Options
    // window shows. 0 refuses such a circuit and asks for a width: a width
    // in pixels nobody chose says nothing of a circuit scaled to the canvas.
    double bareCircuitWidth = 0;
    MapTrackOptions map;
    std::optional<NamedVehicle> vehicle; // given: wins over the frame file's
    bool loadVehicle = false;            // the frame file's car is read (a race line is wanted)
    // Generated tracks.
    std::uint64_t seed = 1;
    double minLength = 0; // pixels; 0: to suit the canvas
    double maxLength = 0;
    int markers = 0;
};

// One track as it came in, whichever way: what the outputs are written
// from, and what the editor shows.
struct TrackJob {
    TrackModel model;
    Settings settings; // the caller's settings with this track's TrackWidth (and a map's canvas)
    WorldFrame frame;  // of its outputs in metres
    // A world of its own: a circuit, a map, or a track file with its frame
    // file. Its track file takes it along when written.
    bool hasWorld = false;
    std::string note; // how the source was read (scale, width), told with the facts
    // A circuit file's own edges, when it gives widths; a map's line, the
    // widths measured on it and its walls.
    SourceEdges sourceEdges;
    // The car its frame file names, read when the options ask for it.
    std::optional<NamedVehicle> vehicle;
    // The car the frame file names, as a shipped name or a path usable from
    // here; empty when no frame file names one. Kept even when not read, so
    // that a track file written again names the same car.
    std::string vehicleName;
    // The occupancy map the track was found on, whose picture the canvas
    // shows under the track, which a track file written of it names, and
    // which no output may write over.
    std::optional<MapUnderlay> map;
};

// One way a track comes in. The tool's track arguments, the editor's Load
// and its Import commands all read through this table.
struct InputEntry {
    const char* name; // "circuit"
    bool (*matches)(const QString& path);
    Result<TrackJob> (*read)(const InputOptions& o, const Settings& base, const QString& path);
};

// A path ending in ".csv", in any letter case, is a circuit's centre line;
// one ending in ".yaml" or ".yml" an occupancy map's description.
bool IsCentrelineInput(const QString& path);
bool IsMapInput(const QString& path);

// The track on a map already loaded, as the map input finds it: the editor
// loads the map first and asks over its picture where the track is.
Result<TrackJob> PlaceMapTrack(const InputOptions& o, const Settings& base, const LoadedMap& map);

// Every input that a path names, the track file last: it takes whatever
// the others do not.
std::span<const InputEntry* const> Inputs();

// The input with this name ("track file", "circuit", "map"), or nullptr.
const InputEntry* InputNamed(std::string_view name);

// Reads the track at `path` through the first input that takes it. `base`
// is left as it is: what differs for this track goes into the job.
Result<TrackJob> ReadTrackInput(const InputOptions& o, const Settings& base, const QString& path);

// Makes generated track `index` with the options' seed, lengths and markers
// on the canvas of `base`.
Result<TrackJob> GenerateTrackInput(const InputOptions& o, const Settings& base, std::uint64_t index);

// The generator's options: the lengths asked for, else those that suit the
// canvas of `s`.
GeneratorOptions GeneratorOptionsFor(const InputOptions& o, const Settings& s);

// The settings every track starts from: `base` with the width given.
Settings InputSettings(const InputOptions& o, const Settings& base);

// The options the editor reads with: nothing given but its own track width,
// which a circuit without widths takes.
InputOptions EditorInputOptions(const Settings& s);

} // namespace velmora
