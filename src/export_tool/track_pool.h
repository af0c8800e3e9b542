#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace velmora {

// Exports one track; false with the reason in `error` when it failed.
using TrackJob = std::function<bool(const std::string& track, std::string& error)>;

// Exports every track on `jobs` worker threads. Each worker first calls
// `makeWorker` on its own thread for the job it runs its tracks with, so
// whatever may not be shared between threads is made there.
//
// Only the calling thread writes to `err`: a failed track is reported in one
// line, "velmora-export: TRACK: reason", in the order the tracks were given,
// whatever order they finish in. With `showProgress` (a terminal) one line
// kept up to date shows how many tracks are done and how fast they go.
// Returns the number of tracks that failed.
std::size_t RunTrackPool(const std::vector<std::string>& tracks, int jobs,
                         const std::function<TrackJob()>& makeWorker, std::ostream& err, bool showProgress);

} // namespace velmora
