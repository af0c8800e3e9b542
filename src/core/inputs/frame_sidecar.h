#pragma once

#include "core/raceline/source_edges.h"
#include "core/result.h"
#include "core/track/world_frame.h"

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// What a track file does not hold of the world it stands for: the frame of
// its outputs in metres, how wide the track is there and the car it is
// driven with. Kept beside NAME.trk as NAME_frame.yaml, so that a circuit
// imported once exports in its own coordinates ever after, and the track
// file stays as every reader of it knows it.
struct TrackWorld {
    WorldFrame frame;
    double trackWidthM = 0;
    std::string vehicle = "f1tenth"; // a built-in vehicle's name or a vehicle file
    // TrackChecksum of the track file it was written with, so that a frame
    // file is never taken for another track's; empty: not known (a file
    // written by hand).
    std::string trackChecksum;
    // A circuit's own edges in the frame's metres, which the race line
    // keeps to where the drawn width is wider; or the centre line found on
    // the map and the widths measured on it (rowWidths when they are the
    // track's). Never the map's walls: those are found on the map again.
    // Empty: none.
    SourceEdges edges;
    // The description (YAML) of the occupancy map the track was found on,
    // whose picture lies under the track, a cell a canvas pixel; empty: none.
    std::string map;
    // The map's walls bound the edges, specks fewer cells across than this
    // left out (MapWalls::minObstacleCells); none: the edges are a circuit's.
    std::optional<int> wallsMinObstacleCells;
};

// The file, in the style of a ROS map description:
//   resolution: 0.05           metres per canvas pixel
//   origin: [x, y, 0.0]        the world position of the canvas's top-left corner
//   track_width_m: 12.0
//   vehicle: f1tenth
//   track_fnv1a64: "0123456789abcdef"   when the track is known
//   map: "../maps/hangar.yaml"          when the track was found on a map
//   edges:                              when the circuit or map gives its own
//     closed: true
//     row_widths: true                  the widths are the track's (a map's measured ones)
//     walls_min_obstacle_cells: 3       the map's walls bound them, specks under 3 cells left out
//     rows:                             x, y, width right, width left
//     - [-412.5, 1790.0, 5.2, 5.0]      in metres
// Numbers as YamlFloat writes them (the shortest that reads back exactly),
// whatever the locale; LF line ends. row_widths and
// walls_min_obstacle_cells are written only when true or given.
std::string TrackWorldYaml(const TrackWorld& world);

// Reads that file (with the YAML library) strictly: every key exactly once
// (the track's checksum, the map and the edges may be left out) and nothing
// else; numbers plain decimals whatever the locale; the origin's third value
// (a turn of the canvas, which no output knows) 0; a scale and track width
// above 0; walls only with a map. A failure names the line ("line 2: ...") or the
// missing key. Accepts any bytes.
Result<TrackWorld> ReadTrackWorld(std::string_view bytes);

// The 64-bit FNV-1a hash of a track file's bytes, in 16 hexadecimal
// digits: not proof against tampering, only against a frame file left from
// another track.
std::string TrackChecksum(std::string_view trackBytes);

// Where the file of the track at `trackPath` lies: its extension, if any,
// replaced by "_frame.yaml" (tracks/Monza.trk -> tracks/Monza_frame.yaml).
std::string TrackWorldPath(std::string_view trackPath);

// The track width in canvas pixels, to the millionth of a pixel: a width
// that was whole before it went through metres comes back whole.
double TrackWidthPixels(const TrackWorld& world);

} // namespace velmora
