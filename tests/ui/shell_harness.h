#pragma once

#include "ui/shell.h"

#include <QElapsedTimer>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace velmora {

// A real Shell working in a temporary folder, with the program's own images
// and fonts, whose dialogs and boxes are doubles: every box is recorded as
// "title|text", and file dialogs answer with what `answerSave` and
// `answerOpen` return; Import Map's dialog takes what it offers.
class ShellHarness {
public:
    explicit ShellHarness(const Settings& settings, QSize display = QSize(1280, 800));

    Shell& shell() { return *shell_; }
    Workspace& ws() { return shell_->ws; }

    // Moves the pointer to canvas pixel p and clicks there the way a user
    // does: the pointer sample comes first, then press and release.
    void ClickCanvas(QPoint p, Qt::MouseButton button);
    // One round of the event loop: posted events, timers, paint requests.
    static void Spin();
    // Runs the event loop until the picture being saved in the background is.
    void WaitForPictures();

    QTemporaryDir work;
    QStringList boxes;
    int shutdowns = 0;
    std::function<QString()> answerSave;
    std::function<QString()> answerOpen;
    std::function<bool()> answerConfirm = [] { return true; };

private:
    std::unique_ptr<Shell> shell_;
};

// Eight clicks round a loop, then Close Loop: a track as a user draws it on
// a canvas of at least 700 x 600.
inline void DrawLoop(ShellHarness& h)
{
    const QPoint points[] = {{300, 200}, {500, 200}, {620, 280}, {620, 420},
                             {500, 500}, {300, 500}, {180, 420}, {180, 280}};
    for (const QPoint p : points)
        h.ClickCanvas(p, Qt::LeftButton);
    h.shell().HandleMenu(kCmdCloseLoop);
}

// Milliseconds since the timer started, with fractions.
inline double ElapsedMs(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

} // namespace velmora
