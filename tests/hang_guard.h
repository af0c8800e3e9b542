#pragma once

namespace velmora {

// How long a test waits for another program, a window or an event before it
// takes it for hung. Only a hang should run into it: generous enough for a
// sanitized build on a busy two-core machine, and below the time-out CTest
// gives each test, so the test still says what it was waiting for.
inline constexpr int kHangGuardMs = 300000;

} // namespace velmora
