#pragma once

namespace velmora {

// The one way the program ends: close box, Quit, every fatal report and the
// fault handler. Nothing is saved and nothing is asked; exit code 0.
[[noreturn]] void Shutdown();

}  // namespace velmora
