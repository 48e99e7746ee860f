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

// One step on the test range, all six mounts firing, with the projectile and
// effect lists at their steady size. Argument 1: a single-player step that
// also runs projectiles and the mission; 0: the pilot alone, as a co-op room
// steps each member.
void BM_PilotStepAllMountsFiring(benchmark::State& state) {
    const bool advanceWorld = state.range(0) != 0;
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
    // Without the projectile step the list would only grow.
    const size_t steady = world.projectiles.size();
    for (auto _ : state) {
        refill(world);
        world.step(input, kFrame, advanceWorld);
        world.sounds.clear();
        benchmark::DoNotOptimize(world.projectiles.data());
        if (!advanceWorld && world.projectiles.size() > 2 * steady) world.projectiles.resize(steady);
    }
    state.counters["projectiles"] = static_cast<double>(world.projectiles.size());
    state.counters["effects"] = static_cast<double>(world.effects.size());
}
BENCHMARK(BM_PilotStepAllMountsFiring)->Arg(1)->Arg(0)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace
