#include "export_tool/output_table.h"

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

} // namespace velmora
