#pragma once

// Work shared between the calling thread and one helper thread. The large steps of a drawing
// (the growth, the record, the scan conversion) split into parts whose results, put
// together, are the same bit for bit as the whole done on one thread; RunBoth and RunJobs
// run the parts side by side.

#include <functional>

namespace ramulet {

// Runs `first` and `second` side by side, one on the calling thread and one on the helper
// thread, and returns when both are done. When the helper is switched off, busy with other
// work (a nested or concurrent call) or has not started by the time the calling thread is
// done with its part (the other core is busy), the calling thread runs both itself. Neither
// may throw.
void RunBoth(const std::function<void()> &first, const std::function<void()> &second);

// Runs job(0) .. job(count - 1), each exactly once, on the calling thread and the helper
// thread: each takes the next job not yet taken when it is done with one, so that a helper
// slowed down by other programs on its core holds up at most the job it is on. Returns when
// all are done. Jobs must not depend on each other's order. The same fallbacks as RunBoth.
void RunJobs(int count, const std::function<void(int)> &job);

// Switches the helper thread on (the default where there is more than one core) or off, so
// that tests and benchmarks can compare with one thread. Returns the previous setting.
bool SetHelperThreadEnabled(bool enabled);
bool HelperThreadEnabled();

} // namespace ramulet
