#pragma once

// Work shared between the calling thread and one helper thread. The large steps of a drawing
// (the growth, the record, the scan conversion) split into two halves whose results are the
// same, bit for bit, as the whole done on one thread; RunBoth runs the two halves side by
// side.

#include <functional>

namespace ramulet {

// Runs `first` on the calling thread and `second` on the helper thread at the same time, and
// returns when both are done. When the helper is switched off, busy with another pair (a
// nested or concurrent call) or has not picked `second` up by the time `first` is done (the
// other core is busy), the calling thread runs `second` itself after `first`. Neither may
// throw.
void RunBoth(const std::function<void()> &first, const std::function<void()> &second);

// Switches the helper thread on (the default where there is more than one core) or off, so
// that tests and benchmarks can compare with one thread. Returns the previous setting.
bool SetHelperThreadEnabled(bool enabled);
bool HelperThreadEnabled();

} // namespace ramulet
