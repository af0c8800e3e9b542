#include "core/formats/rl_data.h"
#include "core/track/path.h"
#include "outputs/output_table.h"
#include "outputs/track_products.h"

namespace velmora {

namespace {

Status WriteRL(const OutputContext& c)
{
    const Result<std::string> text = TrackRLData(c);
    if (!text)
        return Fail(text.error());
    return c.Write("_rl.txt", *text);
}

} // namespace

Result<std::string> TrackRLData(const OutputContext& c)
{
    const PathMeasure measure(c.model.TrackPath);
    if (const Status usable = RLExportProblem(measure, c.settings.MarkerGap, c.settings.TrackWidth); !usable)
        return Fail("could not export RL data: " + usable.error());
    return BuildRLExport(measure, c.model.markers, c.settings.MarkerGap, c.settings.TrackWidth).text;
}

extern const OutputEntry kRLOutput = {"rl", "RL data", "NAME_rl.txt", "the RL data, as the editor's Save RL Data",
                                      OutputPicture::None, WriteRL};

} // namespace velmora
