#include "outputs/output_table.h"

#include "core/formats/number_text.h"
#include "outputs/output_files.h"

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

bool ReadPositive(const std::string& text, double& out, double most)
{
    const DecimalScan scan = ScanDecimal(text);
    if (scan.length == 0 || scan.length != text.size() || !std::isfinite(scan.value) || !(scan.value > 0) ||
        scan.value > most)
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

bool NeedsPicture(const OutputChoices& choices, OutputPicture which)
{
    return std::any_of(Outputs().begin(), Outputs().end(),
                       [&](const OutputEntry* e) { return e->picture == which && choices.Wants(e->flag); });
}

namespace {

// Checks every output asked for, then makes them one after the other into
// `context.staged`; stops at the first failure.
Status StageOutputs(const OutputChoices& choices, const TrackOutputs& track, const OutputContext& context,
                    EncodeProgress* progress)
{
    std::vector<const OutputEntry*> wanted;
    for (const OutputEntry* output : Outputs())
        if (choices.Wants(output->flag))
            wanted.push_back(output);
    for (const OutputEntry* output : wanted)
        if (output->check)
            if (Status usable = output->check(context); !usable)
                return usable;
    const auto count = static_cast<int>(wanted.size());
    for (int done = 0; done < count; ++done) {
        if (progress && progress->cancelled)
            return Fail("cancelled");
        const OutputEntry& output = *wanted[static_cast<std::size_t>(done)];
        const Result<QImage>& picture = output.picture == OutputPicture::Ground ? track.ground : track.picture;
        if (output.picture != OutputPicture::None && !picture)
            return Fail(picture.error());
        if (Status written = output.write(context); !written)
            return written;
        if (progress)
            progress->permille = 1000 * (done + 1) / count;
    }
    if (progress && progress->cancelled)
        return Fail("cancelled");
    return {};
}

} // namespace

Status WriteTrackOutputs(const OutputChoices& choices, const TrackOutputs& track, int encodeThreads,
                         std::vector<std::string>& notes, std::vector<std::string>& warnings,
                         EncodeProgress* progress, QStringList* written)
{
    const QImage drawn = track.picture ? *track.picture : QImage();
    const QImage ground = track.ground ? *track.ground : QImage();
    StagedFiles staged;
    const OutputContext context{choices, track.model, track.settings, track.frame, track.names,
                                drawn,   ground,      encodeThreads,  notes,       warnings,
                                staged,  track.sourceEdges};
    const std::size_t factsBefore = notes.size();
    Status made = StageOutputs(choices, track, context, progress);
    const QStringList targets = staged.Targets();
    if (made)
        made = staged.Commit();
    if (!made)
        notes.resize(factsBefore); // they were facts of files that are not there
    else if (written)
        *written << targets;
    return made;
}

} // namespace velmora
