#include "outputs/output_table.h"

#include "core/formats/number_text.h"

#include <algorithm>
#include <cmath>

namespace velmora {

// Each output lives in a file of its own; this list is all that names them.
extern const OutputEntry kPngOutput, kBmpOutput, kRLOutput, kCentrelineOutput, kWaypointsOutput,
    kDeepRacerOutput, kRacelineOutput, kTrkOutput, kRosMapOutput, kGazeboOutput;

namespace {

constexpr const OutputEntry* kOutputs[] = {
    &kPngOutput,       &kBmpOutput,      &kRLOutput,  &kCentrelineOutput, &kWaypointsOutput,
    &kDeepRacerOutput, &kRacelineOutput, &kTrkOutput, &kRosMapOutput,     &kGazeboOutput,
};

} // namespace

std::span<const OutputEntry* const> Outputs()
{
    return kOutputs;
}

bool ReadPositive(const std::string& text, double& out)
{
    const DecimalScan scan = ScanDecimal(text);
    if (scan.length == 0 || scan.length != text.size() || !std::isfinite(scan.value) || !(scan.value > 0))
        return false;
    out = scan.value;
    return true;
}

const OutputEntry* OutputNamed(std::string_view flag)
{
    for (const OutputEntry* output : Outputs())
        if (flag == output->flag)
            return output;
    return nullptr;
}

OutputClash FindOutputClash(const OutputChoices& choices)
{
    for (const OutputEntry* output : Outputs())
        if (output->excludes && choices.Wants(output->flag) && choices.Wants(output->excludes))
            return {output, OutputNamed(output->excludes)};
    return {};
}

Status CheckOutputCombination(const OutputChoices& choices)
{
    const OutputClash clash = FindOutputClash(choices);
    if (!clash.first || !clash.second)
        return {};
    return Fail(std::string("choose one of ") + clash.first->label + " and " + clash.second->label);
}

bool NeedsPicture(const OutputChoices& choices)
{
    return std::any_of(Outputs().begin(), Outputs().end(),
                       [&](const OutputEntry* e) { return e->needsPicture && choices.Wants(e->flag); });
}

Status WriteTrackOutputs(const OutputChoices& choices, const TrackOutputs& track, int encodeThreads,
                         std::vector<std::string>& notes, std::vector<std::string>& warnings,
                         EncodeProgress* progress)
{
    const QImage drawn = track.picture ? *track.picture : QImage();
    const OutputContext context{choices, track.model,   track.settings, track.frame, track.names,
                                drawn,   encodeThreads, notes,          warnings,    track.sourceEdges};
    const auto wanted = static_cast<int>(std::count_if(
        Outputs().begin(), Outputs().end(), [&](const OutputEntry* e) { return choices.Wants(e->flag); }));
    int done = 0;
    Status first;
    for (const OutputEntry* output : Outputs()) {
        if (!choices.Wants(output->flag))
            continue;
        if (progress && progress->cancelled)
            return first ? Status(Fail("cancelled")) : first;
        Status written = output->needsPicture && !track.picture ? Status(Fail(track.picture.error()))
                                                                : output->write(context);
        if (!written && first)
            first = std::move(written);
        if (progress)
            progress->permille = 1000 * ++done / std::max(1, wanted);
    }
    return first;
}

} // namespace velmora
