#include "core/formats/centreline_csv.h"
#include "export_tool/output_table.h"

namespace velmora {

namespace {

Status WriteCentreline(const OutputContext& c)
{
    const CentrelineResult csv =
        CentrelineCsv(c.model.TrackPath, c.settings.MarkerGap, c.settings.TrackWidth, c.frame.metresPerPixel);
    if (!csv.ok)
        return Fail("could not write the centreline: " + csv.error);
    return c.Write("_centreline.csv", csv.text);
}

} // namespace

extern const OutputEntry kCentrelineOutput = {"centreline", "NAME_centreline.csv",
                                              "the centre line as racing-line tools read it\n(# "
                                              "x_m,y_m,w_tr_right_m,w_tr_left_m), one row every marker gap",
                                              false, WriteCentreline};

} // namespace velmora
