#include "core/formats/rl_data.h"
#include "core/track/path.h"
#include "outputs/output_table.h"

namespace velmora {

namespace {

Status WriteRL(const OutputContext& c)
{
    const PathMeasure measure(c.model.TrackPath);
    if (const Status usable = RLExportProblem(measure, c.settings.MarkerGap, c.settings.TrackWidth); !usable)
        return Fail("could not export RL data: " + usable.error());
    const RLExport rl = BuildRLExport(measure, c.model.markers, c.settings.MarkerGap, c.settings.TrackWidth);
    return c.Write("_rl.txt", rl.text);
}

} // namespace

extern const OutputEntry kRLOutput = {"rl", "RL data", "NAME_rl.txt", "the RL data, as the editor's Save RL Data",
                                      OutputPicture::None, WriteRL};

} // namespace velmora
