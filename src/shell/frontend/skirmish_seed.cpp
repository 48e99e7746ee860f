#include "shell/frontend/skirmish_settings.h"

#include "world/random.h"

namespace bastion {

u32 rerollSeed(u32 seed) {
    const u32 h = nextSeed(seed);
    return h == seed ? h + 1u : h;
}

}  // namespace bastion
