#include "core/formats/deepracer_npy.h"
#include "export_tool/output_table.h"

namespace velmora {

namespace {

Status WriteDeepRacer(const OutputContext& c)
{
    const Result<TrackSamples>& samples = c.Samples();
    const Result<std::string> npy = samples ? DeepRacerNpy(*samples, c.frame) : Fail(samples.error());
    if (!npy)
        return Fail("could not write the DeepRacer track: " + npy.error());
    return c.Write(".npy", *npy);
}

} // namespace

extern const OutputEntry kDeepRacerOutput = {
    "deepracer", "NAME.npy",
    "the track as AWS DeepRacer's tools load it: N x 6 float64, centre, inner\nand outer edge in metres, the "
    "first row repeated",
    false, WriteDeepRacer};

} // namespace velmora
