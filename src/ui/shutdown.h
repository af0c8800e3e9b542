#pragma once

namespace velmora {

// Ends the run from the close box or Quit: the event loop returns and the
// windows, images and fonts are released on the way out (exit code 0).
// Nothing is saved and nothing is asked. Leaving through the toolkit lets it
// hand a picture copied to the clipboard on to the desktop, so it outlives
// the program.
void EndRun();

// Ends the process at once with exit code 0: fatal reports and the fault
// handler, where the program's state can no longer be trusted.
[[noreturn]] void Shutdown();

}  // namespace velmora
