#pragma once

#include "core/result.h"
#include "core/settings/settings.h"
#include "core/track/track_model.h"

#include <cstdint>
#include <string>

namespace velmora {

// What a run of generated tracks asks for besides the settings.
struct GeneratorOptions {
    double minLength = 0; // pixels along the track
    double maxLength = 0;
    int markers = 0; // RL markers dropped beside each track
};

// Track lengths that suit the canvas of `s` when none are given.
GeneratorOptions DefaultGeneratorOptions(const Settings& s);

// Whether any track can be made with these settings at all; if not, why (a
// canvas too small for the width, an impossible length range, a turn limit
// that cannot close a loop).
Status GeneratorProblem(const Settings& s, const GeneratorOptions& o);

// Track `index` of the run with `seed`: a closed loop of whole-pixel points
// that the editor accepts click by click under `s`, every corner within
// AngleLimit, the surface clear of itself, inside the canvas, the start on
// a straight. Depends on (seed, index, s, o) only, so any part of a run can
// be made again on its own. A bounded number of attempts; never loops on:
// when none succeeds, the failure names the settings in the way.
Result<TrackModel> GenerateTrack(const Settings& s, const GeneratorOptions& o, std::uint64_t seed,
                             std::uint64_t index);

} // namespace velmora
