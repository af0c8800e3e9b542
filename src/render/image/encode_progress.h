#pragma once

#include <atomic>

namespace velmora {

// Shared between an encoder, which may run on other threads, and whoever
// waits for it: how far it is, and a way to stop it early.
struct EncodeProgress {
    std::atomic<int> permille{0};      // share of the work done, 0 to 1000
    std::atomic<bool> cancelled{false};  // set to stop; the encoder then fails
};

} // namespace velmora
