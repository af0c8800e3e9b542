#include "export_tool/track_pool.h"

#include "core/formats/number_text.h"
#include "render/worker_pool.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <mutex>
#include <new>

namespace velmora {

namespace {

struct Outcome {
    bool finished = false;
    Status done = Fail("not exported");
    std::vector<std::string> notes;
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
            err_ << "\r\033[K";
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

void RunOne(const TrackWork& job, std::size_t index, const std::string& track, Outcome& outcome)
{
    try {
        outcome.done = job(index, track, outcome.notes);
    } catch (const std::bad_alloc&) {
        outcome.done = Fail("out of memory");
    } catch (const std::exception& e) {
        outcome.done = Fail(e.what());
    }
}

} // namespace

std::size_t RunTrackPool(const std::vector<std::string>& tracks, int jobs,
                         const std::function<TrackWork()>& makeWorker, std::ostream& err, bool showProgress)
{
    const std::size_t total = tracks.size();
    std::vector<Outcome> outcomes(total);
    ProgressLine progress(err, showProgress, total);
    std::mutex mutex;
    std::size_t next = 0;
    std::size_t finished = 0;
    std::size_t reported = 0;
    std::size_t failures = 0;

    // Called with the lock held: the lines of every track whose turn has
    // come, in the order the tracks were given.
    const auto report = [&] {
        bool wrote = false;
        for (; reported < total && outcomes[reported].finished; ++reported) {
            const Outcome& o = outcomes[reported];
            std::vector<std::string> lines = o.notes;
            if (!o.done)
                lines.push_back(o.done.error());
            for (const std::string& text : lines) {
                if (!wrote)
                    progress.Clear();
                wrote = true;
                err << "velmora-export: " << tracks[reported] << ": " << text << "\n";
            }
            failures += o.done ? 0 : 1;
        }
        if (wrote)
            err << std::flush;
        progress.Show(finished);
    };

    const auto work = [&] {
        TrackWork job;
        std::string setupError;
        try {
            job = makeWorker();
        } catch (const std::exception& e) {
            setupError = e.what();
        }
        for (;;) {
            std::size_t i = 0;
            {
                const std::lock_guard lock(mutex);
                if (next == total)
                    return;
                i = next++;
            }
            Outcome outcome;
            if (job)
                RunOne(job, i, tracks[i], outcome);
            else
                outcome.done = Fail(setupError);
            outcome.finished = true;
            const std::lock_guard lock(mutex);
            outcomes[i] = std::move(outcome);
            ++finished;
            report();
        }
    };
    const std::size_t lanes = std::min<std::size_t>(total, static_cast<std::size_t>(std::max(1, jobs)));
    ReservePoolThreads(static_cast<int>(lanes));
    RunShared(static_cast<int>(lanes), work);
    progress.End();
    return failures;
}

} // namespace velmora
