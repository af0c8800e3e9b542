#pragma once

#include <QGuiApplication>

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

} // namespace velmora
