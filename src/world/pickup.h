#pragma once

#include "world/math.h"

namespace bastion {

struct Pickup {
    Vec3 position;
    int kind = 0;  // 0..31
    bool collected = false;
    u32 collectedBy = 0;  // one bit per co-op slot that has taken it
};

}  // namespace bastion
