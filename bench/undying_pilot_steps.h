#pragma once

#include <algorithm>
#include <cstddef>

#include <benchmark/benchmark.h>

#include "world/world.h"

namespace bastion::bench {

// Steps `world` at 90 Hz once per iteration with `inputAt(frame)`; the pilot
// never falls, so the mission keeps running, and every 900 frames `reload`
// rebuilds the World outside the timing so no mission runs down. Returns the
// most projectiles in flight after any step.
template <class Reload, class InputAt>
std::size_t stepWithUndyingPilot(benchmark::State& state, World& world, Reload reload, InputAt inputAt) {
    constexpr float kFrame = 1.0f / 90.0f;
    constexpr int kFramesPerLoad = 900;
    int frame = 0;
    std::size_t projectiles = 0;
    for (auto _ : state) {
        if (++frame == kFramesPerLoad) {
            state.PauseTiming();
            reload(world);
            frame = 0;
            state.ResumeTiming();
        }
        world.step(inputAt(frame), kFrame, true);
        world.pilot.health = 100.0f;
        world.pilot.status = kStatusActive;
        world.sounds.clear();
        projectiles = std::max(projectiles, world.projectiles.size());
    }
    return projectiles;
}

}  // namespace bastion::bench
