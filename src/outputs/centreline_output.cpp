#include "core/formats/centreline_csv.h"
#include "outputs/output_table.h"

namespace velmora {

namespace {

Status WriteCentreline(const OutputContext& c)
{
    return c.WriteSampled("_centreline.csv", "the centreline", CentrelineCsv);
}

} // namespace

extern const OutputEntry kCentrelineOutput = {"centreline", "Centre line", "NAME_centreline.csv",
                                              "the centre line as racing-line tools read it\n(# "
                                              "x_m,y_m,w_tr_right_m,w_tr_left_m), one row every spacing",
                                              OutputPicture::None, WriteCentreline};

} // namespace velmora
