#include "core/formats/centreline_csv.h"
#include "export_tool/output_table.h"

namespace velmora {

namespace {

Status WriteCentreline(const OutputContext& c)
{
    const Result<TrackSamples>& samples = c.Samples();
    const Result<std::string> csv = samples ? CentrelineCsv(*samples, c.frame) : Fail(samples.error());
    if (!csv)
        return Fail("could not write the centreline: " + csv.error());
    return c.Write("_centreline.csv", *csv);
}

} // namespace

extern const OutputEntry kCentrelineOutput = {"centreline", "NAME_centreline.csv",
                                              "the centre line as racing-line tools read it\n(# "
                                              "x_m,y_m,w_tr_right_m,w_tr_left_m), one row every --spacing",
                                              false, WriteCentreline};

} // namespace velmora
