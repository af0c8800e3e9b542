#pragma once

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

// One row of a centreline CSV as the racetrack databases publish it (and as
// our own centreline export writes it): "x_m, y_m[, w_tr_right_m,
// w_tr_left_m]", metres, y pointing up.
struct CentrelineRow {
    double x = 0;
    double y = 0;
    double widthRight = 0; // distances from the centre line to the edges;
    double widthLeft = 0;  // only when hasWidths
    bool hasWidths = false;
    std::size_t line = 0; // in the file, from 1
};

inline constexpr std::size_t kMaxCentrelineImportRows = 1000000;

// Reads every row: "#" lines and blank lines are skipped, fields are split at
// commas with blanks around them allowed, columns after the fourth ignored, a
// UTF-8 byte order mark and LF, CR LF or CR line ends accepted. Any field of the first
// four that is not a plain finite decimal number stops the reading with an
// failure naming the line ("line 12: ..."). Accepts any bytes.
Result<std::vector<CentrelineRow>> ReadCentrelineRows(std::string_view bytes);

// How a centreline becomes a track on the canvas.
struct CentrelineImportOptions {
    int canvasWidth = 2048;
    int canvasHeight = 2048;
    double metresPerPixel = 0; // 0: the scale at which the circuit fills the canvas
    bool open = false;         // leave the track open instead of closing the loop
    std::int32_t angleLimit = 180;
    double trackWidth = 42; // pixels, unless taken from the file
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
};

// Scales the rows (pixel x = (x - originX) / scale, pixel y = (originY - y)
// / scale) with the origin chosen to centre their bounding box on the canvas
// and rounded to print short, and clicks them into the editor: hundredths of
// a pixel, the first row the start, points that change the line by less than
// a twentieth of a pixel left out, never two equal points in a row, closed
// with "Z" unless open. Refuses what cannot become a track: too few distinct
// points, a circuit that does not fit the canvas (naming the canvas it would
// need), a turn the editor's angle limit refuses (naming its line).
Result<ImportedCentreline> ImportCentreline(const std::vector<CentrelineRow>& rows,
                                            const CentrelineImportOptions& options);

// The scale in metres per pixel at which a circuit of this extent fills the
// canvas leaving 5 % of the canvas's shorter side free on every side, rounded
// up to three significant digits; 0 when there is none.
double FitScale(double extentX, double extentY, int canvasWidth, int canvasHeight);

} // namespace velmora
