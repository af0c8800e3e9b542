#pragma once

#include "core/formats/file_names.h"
#include "core/result.h"
#include "render/image/encode_progress.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <future>
#include <string>
#include <vector>

namespace velmora {

struct Workspace;

// The slow part of a command, run off the window's thread: for Export Image
// or Copy to Clipboard encoding the picture, already taken from the canvas,
// and writing it; for Import Map reading the map and finding its track.
struct ImageJob {
    QString progressText; // field 1 shows it with the share done: "saving image … 40 %"
    // False for work that cannot tell its share: field 1 then shows the
    // seconds it has run instead ("finding the track … 3 s").
    bool counted = true;
    QString refusal = "still saving an image; try again when it is done"; // to a command that must wait
    // On the worker thread, touching nothing else: the encoded picture for a
    // job that keeps it (else empty), or why it failed.
    std::function<Result<std::string>(EncodeProgress&)> work;
    std::function<void(const Result<std::string>&)> done; // back on the window's thread
};

// Runs picture jobs one at a time on the worker pool, so that the window
// goes on repainting and answering while a huge picture is encoded: a busy
// pointer, the progress in status field 1, the result handed back to the
// window's thread.
class ImageJobs : public QObject {
public:
    // `refresh` brings the window in line after field 1 changed.
    ImageJobs(Workspace& ws, std::function<void()> refresh);
    // Stops a running job and waits for it. A file being written is
    // finished; one not yet begun is not written, and `done` is not called.
    ~ImageJobs() override;

    bool Busy() const { return worker_.valid(); }
    // Starts the job; false, with nothing started, while another one runs.
    bool Start(ImageJob job);
    // Tells the user in field 1 that a picture command has to wait.
    void Refuse();
    // Calls `then` once no job runs: at once when none does, else right
    // after the running job's `done`, with field 1 showing `waitText`
    // and the progress meanwhile.
    void WhenIdle(std::function<void()> then, const QString& waitText);

private:
    void ShowProgress();
    void Finish(const Result<std::string>& result);
    void Status(const QString& text);

    Workspace& ws_;
    std::function<void()> refresh_;
    std::future<void> worker_; // the job on the worker pool
    EncodeProgress progress_;
    ImageJob job_;
    QTimer ticker_;
    int shownPermille_ = -1; // or seconds, for work not counted
    QElapsedTimer started_;
    QDeadlineTimer refusalShown_;
    std::vector<std::function<void()>> whenIdle_;
};

// Runs the job on `jobs`' worker thread, or right here when there is none
// (the commands run without a window in tests and scripts). False when a
// job already runs.
bool RunImageJob(ImageJobs* jobs, ImageJob job);

// Encodes the picture in `format` and writes it to `path` whole or not at all.
ImageJob SaveImageJob(const QImage& picture, ImageFormat format, const QString& path,
                      std::function<void(const Result<std::string>&)> done);

// Encodes the picture as PNG for the clipboard; `bytes` holds the file.
ImageJob ClipboardImageJob(const QImage& picture, std::function<void(const Result<std::string>&)> done);

// When a picture job runs, tells the user and returns true: the command
// that asked must not start another one.
bool RefusedWhileBusy(Workspace& ws);

} // namespace velmora
