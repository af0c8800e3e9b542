#include "export_tool/track_pool.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

namespace velmora {

namespace {

struct Outcome {
    bool finished = false;
    bool ok = false;
    std::string error;
    std::string note;
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
        char line[96];
        std::snprintf(line, sizeof line, "\r%zu/%zu tracks, %.1f tracks/s\033[K", done, total_,
                      seconds > 0 ? double(done) / seconds : 0.0);
        err_ << line << std::flush;
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
        outcome.ok = job(index, track, outcome.error, outcome.note);
    } catch (const std::bad_alloc&) {
        outcome.error = "out of memory";
    } catch (const std::exception& e) {
        outcome.error = e.what();
    }
}

} // namespace

std::size_t RunTrackPool(const std::vector<std::string>& tracks, int jobs,
                         const std::function<TrackWork()>& makeWorker, std::ostream& err, bool showProgress)
{
    const std::size_t total = tracks.size();
    std::vector<Outcome> outcomes(total);
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t next = 0;
    std::size_t finished = 0;

    const auto work = [&] {
        TrackWork work;
        std::string setupError;
        try {
            work = makeWorker();
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
            if (work)
                RunOne(work, i, tracks[i], outcome);
            else
                outcome.error = setupError;
            outcome.finished = true;
            {
                const std::lock_guard lock(mutex);
                outcomes[i] = std::move(outcome);
                ++finished;
            }
            changed.notify_one();
        }
    };

    std::vector<std::thread> workers;
    const std::size_t wanted = std::min<std::size_t>(total, static_cast<std::size_t>(std::max(1, jobs)));
    try {
        while (workers.size() < wanted)
            workers.emplace_back(work);
    } catch (const std::system_error&) {
        if (workers.empty())
            work(); // no thread to be had: the tracks one after the other, here
    }

    ProgressLine progress(err, showProgress, total);
    std::size_t failures = 0;
    std::size_t reported = 0;
    std::size_t shown = 0;
    std::unique_lock lock(mutex);
    while (reported < total || shown < finished) {
        changed.wait(lock, [&] { return finished != shown; });
        shown = finished;
        std::vector<std::string> lines;
        for (; reported < total && outcomes[reported].finished; ++reported) {
            if (!outcomes[reported].note.empty())
                lines.push_back("velmora-export: " + tracks[reported] + ": " + outcomes[reported].note +
                                "\n");
            if (!outcomes[reported].ok) {
                lines.push_back("velmora-export: " + tracks[reported] + ": " + outcomes[reported].error +
                                "\n");
                ++failures;
            }
        }
        lock.unlock();
        if (!lines.empty()) {
            progress.Clear();
            for (const std::string& line : lines)
                err << line;
            err << std::flush;
        }
        progress.Show(shown);
        lock.lock();
    }
    lock.unlock();
    for (std::thread& t : workers)
        t.join();
    progress.End();
    return failures;
}

} // namespace velmora
