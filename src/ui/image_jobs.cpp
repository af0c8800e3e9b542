#include "ui/image_jobs.h"

#include "render/image/atomic_save.h"
#include "render/image/bmp_write.h"
#include "render/image/png_write.h"
#include "render/worker_pool.h"
#include "ui/workspace.h"

#include <QCursor>
#include <QGuiApplication>
#include <optional>
#include <utility>

namespace velmora {

namespace {

constexpr int kTickMs = 100;
constexpr int kRefusalMs = 2000; // how long the refusal stays before the progress again

// Whatever the job throws is its failure, so that `done` is always called
// and the window never stays busy.
Result<std::string> RunWork(const std::function<Result<std::string>(EncodeProgress&)>& work,
                            EncodeProgress& progress)
{
    return Guarded([&] { return work(progress); });
}

} // namespace

ImageJobs::ImageJobs(Workspace& ws, std::function<void()> refresh) : ws_(ws), refresh_(std::move(refresh))
{
    ticker_.setInterval(kTickMs);
    connect(&ticker_, &QTimer::timeout, this, [this] { ShowProgress(); });
}

ImageJobs::~ImageJobs()
{
    progress_.cancelled = true;
    if (worker_.valid()) {
        worker_.wait();
        QGuiApplication::restoreOverrideCursor();
    }
}

bool ImageJobs::Start(ImageJob job)
{
    if (Busy())
        return false;
    const auto work = std::move(job.work);
    job_ = std::move(job);
    progress_.permille = 0;
    progress_.cancelled = false;
    shownPermille_ = -1;
    refusalShown_ = QDeadlineTimer();
    started_.start();
    worker_ = StartTask([this, work] {
        Result<std::string> result = RunWork(work, progress_);
        // Handed to the window's thread; dropped with this object if it goes
        // first.
        QMetaObject::invokeMethod(
            this, [this, result = std::move(result)] { Finish(result); }, Qt::QueuedConnection);
    });
    QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    ShowProgress();
    ticker_.start();
    return true;
}

void ImageJobs::Refuse()
{
    Status(job_.refusal);
    refusalShown_ = QDeadlineTimer(kRefusalMs);
    shownPermille_ = -1; // the progress comes back when the time is up
}

void ImageJobs::WhenIdle(std::function<void()> then, const QString& waitText)
{
    if (!Busy()) {
        then();
        return;
    }
    whenIdle_.push_back(std::move(then));
    job_.progressText = waitText;
    shownPermille_ = -1;
    refusalShown_ = QDeadlineTimer();
    ShowProgress();
}

void ImageJobs::ShowProgress()
{
    const int shown = job_.counted ? progress_.permille.load() : int(started_.elapsed() / 1000);
    if (shown == shownPermille_ || !refusalShown_.hasExpired())
        return;
    shownPermille_ = shown;
    const QString share = job_.counted ? QString::number(shown / 10) + " %" : QString::number(shown) + " s";
    Status(job_.progressText + " \u2026 " + share);
}

void ImageJobs::Finish(const Result<std::string>& result)
{
    if (worker_.valid()) {
        worker_.get();
        QGuiApplication::restoreOverrideCursor();
    }
    ticker_.stop();
    // `done` may start the next job, which takes job_'s place.
    const auto done = std::move(job_.done);
    job_ = {};
    if (done)
        done(result);
    if (refresh_)
        refresh_();
    if (Busy())
        return; // `done` started the next job: the waiting goes on
    auto waiting = std::move(whenIdle_);
    whenIdle_.clear();
    for (const auto& then : waiting)
        then();
}

void ImageJobs::Status(const QString& text)
{
    ws_.editor.view.status1 = text.toStdString();
    if (refresh_)
        refresh_();
}

bool RunImageJob(ImageJobs* jobs, ImageJob job)
{
    if (jobs)
        return jobs->Start(std::move(job));
    EncodeProgress progress;
    const Result<std::string> result = RunWork(job.work, progress);
    if (job.done)
        job.done(result);
    return true;
}

ImageJob SaveImageJob(const QImage& picture, ImageFormat format, const QString& path,
                      std::function<void(const Result<std::string>&)> done)
{
    ImageJob job;
    job.progressText = "saving image";
    job.work = [picture, format, path](EncodeProgress& progress) -> Result<std::string> {
        const Result<std::string> bytes =
            format == ImageFormat::Bmp ? EncodeBmp(picture, &progress) : EncodePng(picture, 0, &progress);
        if (progress.cancelled)
            return Fail("cancelled");
        if (!bytes)
            return Fail("could not encode the picture");
        if (const Status saved = SaveBytes(path, *bytes); !saved)
            return Fail(saved.error());
        return std::string();
    };
    job.done = std::move(done);
    return job;
}

ImageJob ClipboardImageJob(const QImage& picture, std::function<void(const Result<std::string>&)> done)
{
    ImageJob job;
    job.progressText = "copying image";
    job.work = [picture](EncodeProgress& progress) -> Result<std::string> {
        Result<std::string> png = EncodePng(picture, 0, &progress);
        if (!png)
            return Fail("could not encode the picture");
        return png;
    };
    job.done = std::move(done);
    return job;
}

bool RefusedWhileBusy(Workspace& ws)
{
    if (!ws.imageJobs || !ws.imageJobs->Busy())
        return false;
    ws.imageJobs->Refuse();
    return true;
}

} // namespace velmora
