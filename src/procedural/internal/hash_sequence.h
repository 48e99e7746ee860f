#pragma once

#include "world/math.h"
#include "world/random.h"

namespace bastion {

// A counter-based sequence: every draw steps the counter by the golden-ratio
// increment and scrambles it. The same start always replays the same draws,
// whatever else the world's own generator has done.
struct HashSequence {
    u32 state = 0;

    u32 next() {
        const u32 drawn = nextSeed(state);
        state += 0x9E3779B9u;
        return drawn;
    }

    u32 below(u32 n) { return next() % n; }
};

}  // namespace bastion
