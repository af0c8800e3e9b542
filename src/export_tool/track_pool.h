#pragma once

#include "core/result.h"

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace velmora {

// What exporting one track has to tell besides its failure.
struct TrackReport {
    std::vector<std::string> facts;    // how a circuit was read, lap time, start pose
    std::vector<std::string> warnings; // what was written, but not quite as asked
};

// Exports track `index` of the run.
using TrackWork = std::function<Status(std::size_t index, const std::string& track, TrackReport& report)>;

// Where the run's lines go. Facts go to `facts` ("TRACK: text"), unless it
// is null (--quiet); warnings and failures to `err` ("velmora-export: TRACK:
// text"), so that a script reading stderr finds only what went wrong. With
// `showProgress` (a terminal) one line on `err`, kept up to date, shows how
// many tracks are done and how fast they go.
struct PoolOutput {
    std::ostream* facts;
    std::ostream& err;
    bool showProgress = false;
};

// Exports every track on `jobs` threads of the worker pool, the calling
// thread among them. Each first calls `makeWorker` on its own thread for the
// job it runs its tracks with, so whatever may not be shared between threads
// is made there. Every track's lines are told in the order the tracks were
// given, whatever order they finish in. Returns the number of tracks that
// failed.
std::size_t RunTrackPool(const std::vector<std::string>& tracks, int jobs,
                         const std::function<TrackWork()>& makeWorker, const PoolOutput& output);

} // namespace velmora
