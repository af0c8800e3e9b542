#include "core/formats/number_text.h"
#include "core/formats/rl_data.h"
#include "core/track/path.h"
#include "export_tool/output_table.h"

namespace velmora {

namespace {

// Wider than this, the ends of the lines leave the range the file's whole
// numbers can hold: the file would be written with clamped coordinates.
constexpr double kWidestRLTrack = 1e6;

Status WriteRL(const OutputContext& c)
{
    const double width = c.settings.TrackWidth;
    if (!(width >= 0 && width <= kWidestRLTrack))
        return Fail("could not export RL data: the track width must be a number from 0 to " +
                    FormatShortest(kWidestRLTrack) + " pixels, not " + FormatShortest(width));
    const PathMeasure measure(c.model.TrackPath);
    if (const Status usable = RLExportProblem(measure, c.settings.MarkerGap); !usable)
        return Fail("could not export RL data: " + usable.error());
    const RLExport rl = BuildRLExport(measure, c.model.markers, c.settings.MarkerGap, c.settings.TrackWidth);
    return c.Write("_rl.txt", rl.text);
}

} // namespace

extern const OutputEntry kRLOutput = {"rl", "NAME_rl.txt", "the RL data, as the editor's Save RL Data", false,
                                      WriteRL};

} // namespace velmora
