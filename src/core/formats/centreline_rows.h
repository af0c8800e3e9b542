#pragma once

#include "core/result.h"

#include <cstddef>
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

// Reads every row of a centreline table. Blank lines and "#" lines are
// skipped; a UTF-8 byte order mark and LF, CR LF or CR line ends are
// accepted.
//
// Columns are taken by name when a header names them: the last "#" line
// before the first row, or a first line without "#", that names x ("x_m" or
// "x") and y ("y_m" or "y"), in any letter case and order. "w_tr_right_m"
// and "w_tr_left_m" are the widths, read when both are named; other columns
// are ignored, so our own waypoints and race-line files read back. Without
// such a header the columns are x, y, right and left width in that order and
// those after the fourth are ignored.
//
// Fields are separated by commas, semicolons, tabs or blanks, as the header
// (else the first row) has them, and alike on every line. A number must be a
// plain finite decimal with a decimal point; decimal commas are refused, as
// is any other field that is not a number, naming the line ("line 12: ...").
// Accepts any bytes.
Result<std::vector<CentrelineRow>> ReadCentrelineRows(std::string_view bytes);

} // namespace velmora
