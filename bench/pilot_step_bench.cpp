#include <benchmark/benchmark.h>

#include "world/world.h"

namespace {

using bastion::Input;
using bastion::World;

constexpr float kFrame = 1.0f / 90.0f;

// Every mount carries a weapon without a burst limit, so all six keep firing
// for as long as the buttons are held.
const bastion::Loadout kAllGuns{bastion::kHeavyMG, bastion::kHeavyMG, bastion::kGatling,
                                bastion::kGatling, bastion::kGatling, bastion::kGatling};

void refill(World& world) {
    for (int mount = 0; mount < bastion::kMountCount; ++mount) world.pilot.ammo[mount] = 600;
}

// One single-player step on the test range, all six mounts firing, with the
// projectile and effect lists at their steady size.
void BM_PilotStepAllMountsFiring(benchmark::State& state) {
    World world;
    world.configure(kAllGuns, bastion::ArmRig{});
    Input input;
    for (bool& fire : input.fire) fire = true;
    input.axes[2] = 0.3f;  // sweep the torso across the range
    input.axes[4] = -0.05f;
    for (int frame = 0; frame < 5 * 90; ++frame) {
        refill(world);
        world.step(input, kFrame, true);
        world.sounds.clear();
    }
    for (auto _ : state) {
        refill(world);
        world.step(input, kFrame, true);
        world.sounds.clear();
        benchmark::DoNotOptimize(world.projectiles.data());
    }
    state.counters["projectiles"] = static_cast<double>(world.projectiles.size());
    state.counters["effects"] = static_cast<double>(world.effects.size());
}
BENCHMARK(BM_PilotStepAllMountsFiring)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace
