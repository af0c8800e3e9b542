#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace velmora {

// Exports track `index` of the run; false with the reason in `error` when it
// failed. `note` is a line worth telling either way (how a circuit was read).
using TrackWork =
    std::function<bool(std::size_t index, const std::string& track, std::string& error, std::string& note)>;

// Exports every track on `jobs` worker threads. Each worker first calls
// `makeWorker` on its own thread for the job it runs its tracks with, so
// whatever may not be shared between threads is made there.
//
// Only the calling thread writes to `err`: a track's note and its failure are
// each reported in one line, "velmora-export: TRACK: text", in the order the
// tracks were given,
// whatever order they finish in. With `showProgress` (a terminal) one line
// kept up to date shows how many tracks are done and how fast they go.
// Returns the number of tracks that failed.
std::size_t RunTrackPool(const std::vector<std::string>& tracks, int jobs,
                         const std::function<TrackWork()>& makeWorker, std::ostream& err, bool showProgress);

} // namespace velmora
