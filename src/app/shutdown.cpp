#include "app/shutdown.h"

#include <cstdio>
#include <cstdlib>

namespace velmora {

void Shutdown()
{
    // Windows, images and fonts go with the process; running the toolkit's
    // teardown could only add ways to fail on the way out.
    std::fflush(nullptr);
    std::_Exit(0);
}

}  // namespace velmora
