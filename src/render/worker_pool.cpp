#include "render/worker_pool.h"

#include <QRunnable>
#include <QThread>
#include <QThreadPool>
#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace velmora {

namespace {

// Counts the pool's runs of one RunShared that have not returned yet.
struct Runs {
    std::mutex mutex;
    std::condition_variable done;
    int left = 0;

    void Finished()
    {
        const std::lock_guard lock(mutex);
        --left;
        done.notify_all();
    }
};

// Never destroyed: threads may still be winding down while the process ends.
QThreadPool* Pool()
{
    static QThreadPool* const pool = new QThreadPool;
    return pool;
}

} // namespace

void RunShared(int threads, const std::function<void()>& work)
{
    QThreadPool* pool = Pool();
    Runs runs;
    std::vector<std::unique_ptr<QRunnable>> helpers;
    for (int i = 1; i < threads; ++i) {
        helpers.emplace_back(QRunnable::create([&] {
            work();
            runs.Finished();
        }));
        helpers.back()->setAutoDelete(false);
        {
            const std::lock_guard lock(runs.mutex);
            ++runs.left;
        }
        pool->start(helpers.back().get());
    }
    work();
    for (const auto& helper : helpers)
        if (pool->tryTake(helper.get()))
            runs.Finished();
    std::unique_lock lock(runs.mutex);
    runs.done.wait(lock, [&] { return runs.left == 0; });
}

std::future<void> StartTask(std::function<void()> task)
{
    auto job = std::make_shared<std::packaged_task<void()>>(std::move(task));
    std::future<void> ready = job->get_future();
    Pool()->start([job] { (*job)(); });
    return ready;
}

void ReservePoolThreads(int threads)
{
    QThreadPool* pool = Pool();
    pool->setMaxThreadCount(std::max({threads, QThread::idealThreadCount(), pool->maxThreadCount()}));
}

} // namespace velmora
