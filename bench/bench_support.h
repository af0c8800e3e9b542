#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <functional>

namespace velmora {

// Fonts need a running QGuiApplication; benchmarks start one on first use.
inline void EnsureGuiApp()
{
    static int argc = 1;
    static char name[] = "velmora_bench";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = QGuiApplication::instance() ? nullptr : new QGuiApplication(argc, argv);
    (void)app;
}

// Runs the event loop with a 5 ms timer until `done`; the longest time
// between two of its ticks in ms: how long the window would have stood still.
inline double LongestGapUntil(const std::function<bool()>& done)
{
    QEventLoop loop;
    QTimer tick;
    QElapsedTimer since;
    double longest = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, static_cast<double>(since.nsecsElapsed()) / 1e6);
        since.restart();
        if (done())
            loop.quit();
    });
    since.start();
    tick.start(5);
    QTimer::singleShot(120000, &loop, &QEventLoop::quit); // never for ever
    loop.exec();
    return longest;
}

} // namespace velmora
