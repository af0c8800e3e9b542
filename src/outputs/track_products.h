#pragma once

#include "core/raceline/raceline.h"
#include "core/raceline/vehicle.h"
#include "core/result.h"
#include "inputs/track_input.h"
#include "inputs/vehicle_choice.h"
#include "outputs/output_files.h"
#include "outputs/output_table.h"

#include <QImage>
#include <string>
#include <vector>

namespace velmora {

// What some outputs are made of before they become files, for callers that
// want the values rather than the files (the Python module). Each is
// defined beside the output that writes it, which writes it from these,
// so that the values and the files cannot differ.

// The occupancy map of the ros-map output: the cells of NAME_map.png and
// what NAME_map.yaml says of them.
struct RosMap {
    QImage cells;          // Format_Grayscale8, canvas-sized, row 0 at the top
    double resolution = 0; // metres per cell
    double originX = 0;    // metres: the world position of the lower-left cell's corner
    double originY = 0;
    bool openAtEdge = false; // the track runs off the canvas, so the map is open there
};
Result<RosMap> TrackRosMap(const OutputContext& c);
// What the user hears of a map that is open at its edge.
inline constexpr char kOpenMapWarning[] =
    "warning: the track runs off the canvas, so the map is open at its edge";

// The car the race line is made for: the one chosen, else the first
// shipped one.
NamedVehicle RacelineVehicle(const OutputContext& c);

// The race line of the raceline output for `vehicle`, before it is written;
// the failure says why it could not be made.
Result<Raceline> TrackRaceline(const OutputContext& c, const Vehicle& vehicle);

// The text of NAME_rl.txt.
Result<std::string> TrackRLData(const OutputContext& c);

// One track's output context with nowhere to write: what the functions
// above and OutputContext::Samples are asked with. Nothing it stages is
// ever committed. Keeps its own copy of the choices and the names; `job`
// must outlive it. The choices take the track's car as its files would
// (TrackChoices).
class TrackProducts {
public:
    TrackProducts(OutputChoices choices, const TrackJob& job, const QString& name);
    TrackProducts(const TrackProducts&) = delete;
    TrackProducts& operator=(const TrackProducts&) = delete;

    const OutputContext& Context() const { return context_; }

private:
    OutputChoices choices_;
    OutputNames names_;
    QImage noPicture_;
    std::vector<std::string> notes_;
    std::vector<std::string> warnings_;
    StagedFiles staged_;
    OutputContext context_;
};

} // namespace velmora
