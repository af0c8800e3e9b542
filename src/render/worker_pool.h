#pragma once

#include <functional>
#include <future>

namespace velmora {

// The process's one pool of worker threads, shared by the export's tracks,
// the background picture save and the PNG encoder's slices. It is a pool of
// its own, not Qt's global one: Qt converts large pictures on the global pool
// and waits for it on the window's thread, which long encodes would stall.

// Runs `work` on the calling thread and on up to `threads` - 1 threads of the
// pool at once, and returns when every run that started has returned. Each
// run of `work` takes its share of one common list of tasks (a shared
// counter) until none is left, so a run the pool has not started by the time
// the calling thread's run is done would find nothing: it is called off.
// Runs nest (a track's encoder inside the export's tracks) without waiting
// for threads that are all taken.
void RunShared(int threads, const std::function<void()>& work);

// Starts `task` on a thread of the pool and returns at once; the future is
// ready when the task has returned. Exceptions are the task's to catch.
std::future<void> StartTask(std::function<void()> task);

// Lets at least `threads` runs of the pool go at once (a --jobs beyond the
// cores), never fewer than the cores.
void ReservePoolThreads(int threads);

} // namespace velmora
