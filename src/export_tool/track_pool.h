#pragma once

#include "core/result.h"

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace velmora {

// Exports track `index` of the run. `notes` are lines worth telling either
// way (how a circuit was read, a warning).
using TrackWork =
    std::function<Status(std::size_t index, const std::string& track, std::vector<std::string>& notes)>;

// Exports every track on `jobs` threads of the worker pool, the calling
// thread among them. Each first calls `makeWorker` on its own thread for the
// job it runs its tracks with, so whatever may not be shared between threads
// is made there.
//
// A track's notes and its failure are each reported on `err` in one line,
// "velmora-export: TRACK: text", in the order the tracks were given, whatever
// order they finish in. With `showProgress` (a terminal) one line
// kept up to date shows how many tracks are done and how fast they go.
// Returns the number of tracks that failed.
std::size_t RunTrackPool(const std::vector<std::string>& tracks, int jobs,
                         const std::function<TrackWork()>& makeWorker, std::ostream& err, bool showProgress);

} // namespace velmora
