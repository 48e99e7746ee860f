#pragma once

#include <vector>

#include "world/target.h"

namespace bastion {

// An enemy generator: releases copies of a template unit into reserved
// target entries.
struct Generator {
    // The unit copied on each release. ("template" is a C++ keyword.)
    Target unitTemplate;
    Vec3 anchor;
    u32 trigger = 0;
    u32 flags = 0;  // bit 0 burst, bits 1..3 flag waits and stops, bits 16..20 the flag
    int remaining = 0;
    int burstCounter = 0;
    int burstSize = 0;
    float activationRange = 0.0f;
    float timer = 0.0f;
    float interval = 0.0f;
    float burstPause = 0.0f;
    std::vector<u64> members;
    int spawnIndex = -1;
};

// A carrier unit that drops cargo units on its way.
struct CargoFlight {
    u64 carrier = 0;
    std::vector<Target> cargo;
    std::vector<u64> slots;
    int group = -1;
    u32 passes = 0;
    u32 dropWaypoint = 0;
    u32 dropsPerPass = 0;
    float dropInterval = 0.0f;
};

}  // namespace bastion
