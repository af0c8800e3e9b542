#pragma once

#include "core/formats/centreline_rows.h"
#include "core/raceline/source_edges.h"
#include "core/result.h"
#include "core/track/simplify.h"
#include "core/track/track_model.h"
#include "core/track/world_frame.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// How a centreline becomes a track on the canvas.
struct CentrelineImportOptions {
    int canvasWidth = 2048;
    int canvasHeight = 2048;
    double metresPerPixel = 0; // 0: the scale at which the circuit fills the canvas
    bool open = false;         // leave the track open instead of closing the loop
    std::int32_t angleLimit = 180;
    double trackWidth = 42; // pixels, unless taken from the file or given in metres
    double trackWidthMetres = 0; // above 0: the track this wide, at whatever scale the circuit gets
    // The median of the file's widths; a file without them is refused, as
    // the width it would get would have nothing to do with the circuit.
    bool trackWidthFromFile = false;
};

struct ImportedCentreline {
    TrackModel model; // as the editor saves it after the same clicks
    // Scale and origin that put every point of the track back where the
    // file has it: the frame of every output in metres.
    WorldFrame frame;
    double trackWidth = 0; // pixels
    // The file's rows on the canvas, before rounding: the line the track
    // follows within a tenth of a pixel.
    std::vector<CanvasPoint> sourceLine;
    // The file's rows and widths in the frame, when every row has widths:
    // the circuit's real edges, which the drawn width does not follow.
    SourceEdges sourceEdges;
};

// Scales the rows (pixel x = (x - originX) / scale, pixel y = (originY - y)
// / scale) with the origin chosen to centre their bounding box on the canvas
// and rounded to print short, and clicks them into the editor: hundredths of
// a pixel, the first row the start, points that change the line by less than
// a twentieth of a pixel left out, never two equal points in a row, closed
// with "Z" unless open. Refuses what cannot become a track: too few distinct
// points, points no circuit in metres spans (a file in millimetres, numbers
// misread) or a track wider than the circuit, a circuit that does not fit
// the canvas (naming the canvas it would need), a turn the editor's angle
// limit refuses (naming its line).
Result<ImportedCentreline> ImportCentreline(const std::vector<CentrelineRow>& rows,
                                            const CentrelineImportOptions& options);

// The scale in metres per pixel at which a circuit of this extent fills the
// canvas leaving 5 % of the canvas's shorter side free on every side, rounded
// up to three significant digits; 0 when there is none.
double FitScale(double extentX, double extentY, int canvasWidth, int canvasHeight);

// The sizes a circuit in metres can have, from a robot's table-top course to
// the longest road circuits, across its larger side.
inline constexpr double kSmallestCircuit = 1;     // metres
inline constexpr double kLargestCircuit = 50000;  // metres

} // namespace velmora
