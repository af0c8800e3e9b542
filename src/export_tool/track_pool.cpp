#include "export_tool/track_pool.h"

#include "core/formats/number_text.h"
#include "export_tool/tool_words.h"
#include "render/worker_pool.h"

#include <algorithm>
#include <chrono>
#include <mutex>

namespace velmora {

namespace {

struct Outcome {
    bool finished = false;
    Status done = Fail("not exported");
    TrackReport report;
};

// The progress line, rewritten in place: "12/25 tracks, 6.4 tracks/s".
class ProgressLine {
public:
    ProgressLine(std::ostream& err, bool shown, std::size_t total) : err_(err), shown_(shown), total_(total)
    {
    }

    // Clears the line so that a message can take its place.
    void Clear()
    {
        if (shown_ && drawn_)
            err_ << "\r\033[K" << std::flush;
        drawn_ = false;
    }

    void Show(std::size_t done)
    {
        if (!shown_)
            return;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        err_ << "\r" << done << "/" << total_ << " tracks, "
             << FormatFixed(seconds > 0 ? double(done) / seconds : 0.0, 1) << " tracks/s\033[K" << std::flush;
        drawn_ = true;
    }

    void End()
    {
        if (shown_ && drawn_)
            err_ << "\n";
        drawn_ = false;
    }

private:
    std::ostream& err_;
    bool shown_;
    std::size_t total_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// The outcomes of the tracks as they finish, told in the order the tracks
// were given: a track's lines wait until every track before it is told.
class Reporter {
public:
    Reporter(const std::vector<std::string>& tracks, const PoolOutput& output)
        : tracks_(tracks), output_(output), outcomes_(tracks.size()),
          progress_(output.err, output.showProgress, tracks.size())
    {
    }

    // Called with the pool's lock held.
    void Finished(std::size_t index, Outcome outcome)
    {
        outcome.finished = true;
        outcomes_[index] = std::move(outcome);
        ++finished_;
        for (; told_ < outcomes_.size() && outcomes_[told_].finished; ++told_)
            Tell(outcomes_[told_], tracks_[told_]);
        progress_.Show(finished_);
    }

    void End() { progress_.End(); }
    std::size_t Failures() const { return failures_; }

private:
    void Tell(const Outcome& o, const std::string& track)
    {
        const bool quiet = output_.facts == nullptr;
        if (o.report.warnings.empty() && o.done && (quiet || o.report.facts.empty()))
            return;
        progress_.Clear();
        if (!quiet) {
            for (const std::string& fact : o.report.facts)
                *output_.facts << track << ": " << fact << "\n";
            *output_.facts << std::flush;
        }
        for (const std::string& warning : o.report.warnings)
            output_.err << "velmora-export: " << track << ": " << InToolWords(warning) << "\n";
        if (!o.done) {
            output_.err << "velmora-export: " << track << ": " << InToolWords(o.done.error()) << "\n";
            ++failures_;
        }
        output_.err << std::flush;
    }

    const std::vector<std::string>& tracks_;
    const PoolOutput& output_;
    std::vector<Outcome> outcomes_;
    ProgressLine progress_;
    std::size_t finished_ = 0;
    std::size_t told_ = 0;
    std::size_t failures_ = 0;
};

Outcome RunOne(const TrackWork& job, std::size_t index, const std::string& track)
{
    Outcome outcome;
    outcome.done = Guarded([&] { return job(index, track, outcome.report); });
    return outcome;
}

// The tracks the lanes take one at a time, and what became of them.
struct Queue {
    const std::vector<std::string>& tracks;
    Reporter& reporter;
    std::mutex mutex;
    std::size_t next = 0;

    bool Take(std::size_t& index)
    {
        const std::lock_guard lock(mutex);
        if (next == tracks.size())
            return false;
        index = next++;
        return true;
    }

    void Done(std::size_t index, Outcome outcome)
    {
        const std::lock_guard lock(mutex);
        reporter.Finished(index, std::move(outcome));
    }
};

// One lane of the pool: makes its job, then exports tracks until none is
// left. A job that cannot be made fails every track the lane takes.
void RunLane(const std::function<TrackWork()>& makeWorker, Queue& queue)
{
    TrackWork job;
    std::string setupError;
    const Status made = Guarded([&]() -> Status {
        job = makeWorker();
        return {};
    });
    if (!made)
        setupError = made.error();
    for (std::size_t i = 0; queue.Take(i);) {
        Outcome outcome;
        if (job)
            outcome = RunOne(job, i, queue.tracks[i]);
        else
            outcome.done = Fail(setupError);
        queue.Done(i, std::move(outcome));
    }
}

} // namespace

std::size_t RunTrackPool(const std::vector<std::string>& tracks, int jobs,
                         const std::function<TrackWork()>& makeWorker, const PoolOutput& output)
{
    Reporter reporter(tracks, output);
    Queue queue{tracks, reporter, {}, 0};
    const std::size_t lanes = std::min<std::size_t>(tracks.size(), static_cast<std::size_t>(std::max(1, jobs)));
    ReservePoolThreads(static_cast<int>(lanes));
    RunShared(static_cast<int>(lanes), [&] { RunLane(makeWorker, queue); });
    reporter.End();
    return reporter.Failures();
}

} // namespace velmora
