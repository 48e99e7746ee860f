#pragma once

#include <cstdint>

#include "world/math.h"

namespace vant::voice {

// One player of a voice session: only active participants are heard and may
// speak, and voice stays within a group (the room).
struct Participant {
    std::uint32_t id = 0;
    bastion::Vec3 position;
    bool active = false;
    std::uint64_t group = 0;
};

}  // namespace vant::voice
