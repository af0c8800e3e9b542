#include "ui/shutdown.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

namespace velmora {

void EndRun()
{
    if (QCoreApplication::instance())
        QCoreApplication::exit(0);
    else
        Shutdown();
}

void Shutdown()
{
    // Windows, images and fonts go with the process; running the toolkit's
    // teardown could only add ways to fail on the way out.
    std::fflush(nullptr);
    std::_Exit(0);
}

}  // namespace velmora
