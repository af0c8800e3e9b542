#include "core/formats/deepracer_npy.h"
#include "outputs/output_table.h"

namespace velmora {

namespace {

Status WriteDeepRacer(const OutputContext& c)
{
    return c.WriteSampled(".npy", "the DeepRacer track", DeepRacerNpy);
}

} // namespace

extern const OutputEntry kDeepRacerOutput = {
    "deepracer", "DeepRacer track", "NAME.npy",
    "the track as AWS DeepRacer's tools load it: N x 6 float64, centre, inner\nand outer edge in metres, the "
    "first row repeated",
    OutputPicture::None, WriteDeepRacer};

} // namespace velmora
