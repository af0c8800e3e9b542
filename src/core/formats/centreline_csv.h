#pragma once

#include <string>
#include <string_view>

namespace velmora {

// The centre line as racing-line and trajectory tools read it: a header
// "# x_m,y_m,w_tr_right_m,w_tr_left_m", then one row per sample every
// markerGap pixels from the start, the end point included (a closed track
// does not repeat its first point). y points up, in metres.
struct CentrelineResult {
    bool ok = false;
    std::string text;  // the file's bytes (LF line ends) when ok
    std::string error;  // what went wrong otherwise
};

inline constexpr long long kMaxCentrelineRows = 1000000;

CentrelineResult CentrelineCsv(std::string_view trackPath, double markerGap, double trackWidth,
                               double metresPerPixel);

}  // namespace velmora
