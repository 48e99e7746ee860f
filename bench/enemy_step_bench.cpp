#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "demo_tree.h"
#include "undying_pilot_steps.h"

namespace {

using bastion::Target;
using bastion::World;

std::size_t enemyUnits(const World& world) {
    return static_cast<std::size_t>(std::count_if(world.targets.begin(), world.targets.end(), [](const Target& t) {
        return t.unitType >= 0 && t.unitType < bastion::kEnemyTypeCount;
    }));
}

bastion::bench::DemoMission busiestDemoMission() {
    static const bastion::bench::DemoMission busiest = bastion::bench::topDemoMission(enemyUnits);
    return busiest;
}

// The mission with every unit awake (reserve copies of generators and
// carriers stay in reserve).
void load(World& world, bastion::bench::DemoMission mission) {
    world = World{};
    world.configure({1, 1, 2, 2, 5, 8}, bastion::ArmRig{});
    world.loadMission(bastion::bench::demoTreeRoot(), mission.mission, mission.campaign, true);
    for (Target& t : world.targets) {
        if (t.unitType >= 0 && !t.derived) t.active = true;
    }
}

// One 90 Hz World::step of the busiest demo mission, enemies included; the
// pilot stands still and never falls, so the mission keeps running.
void BM_StepBusiestDemoMission(benchmark::State& state) {
    const bastion::bench::DemoMission busiest = busiestDemoMission();
    World world;
    load(world, busiest);
    const bastion::Input still;
    const std::size_t projectiles = bastion::bench::stepWithUndyingPilot(
        state, world, [&](World& w) { load(w, busiest); }, [&](int) { return still; });
    state.SetLabel(bastion::bench::describe(busiest) + ", " + std::to_string(enemyUnits(world)) + " units, up to " +
                   std::to_string(projectiles) + " projectiles");
}
BENCHMARK(BM_StepBusiestDemoMission)->Unit(benchmark::kMicrosecond);

// The same mission under heavy fire: the pilot holds every trigger while
// sweeping its aim across the field, and never falls.
void BM_StepBusiestDemoMissionUnderFire(benchmark::State& state) {
    const bastion::bench::DemoMission busiest = busiestDemoMission();
    World world;
    load(world, busiest);
    const auto sweepingFire = [](int frame) {
        bastion::Input input;
        for (bool& fire : input.fire) fire = true;
        input.axes[0] = std::sin(static_cast<float>(frame) * 0.05f) * 0.6f;
        input.axes[3] = std::sin(static_cast<float>(frame) * 0.031f);
        input.axes[4] = -0.1f + 0.15f * std::sin(static_cast<float>(frame) * 0.07f);
        return input;
    };
    const std::size_t projectiles = bastion::bench::stepWithUndyingPilot(
        state, world, [&](World& w) { load(w, busiest); }, sweepingFire);
    state.SetLabel(bastion::bench::describe(busiest) + ", up to " + std::to_string(projectiles) + " projectiles");
}
BENCHMARK(BM_StepBusiestDemoMissionUnderFire)->Unit(benchmark::kMicrosecond);

}  // namespace
