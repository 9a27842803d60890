#pragma once

// RAMULET_ONE_THREAD=1 in the environment measures everything on one thread, for comparison
// with the work shared by two.

#include "core/parallel.h"

#include <cstdlib>

namespace ramulet::bench {

inline const bool oneThread = [] {
    if (const char *v = std::getenv("RAMULET_ONE_THREAD"); v != nullptr && *v == '1') {
        SetHelperThreadEnabled(false);
        return true;
    }
    return false;
}();

} // namespace ramulet::bench
