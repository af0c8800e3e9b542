#pragma once

namespace velmora {

// Runs the whole program: start-up, the event loop, the end of the run.
int RunApplication(int argc, char** argv);

}  // namespace velmora
