#include <benchmark/benchmark.h>

#include <string>

#include "demo_tree.h"
#include "procedural/grid_recipe.h"
#include "undying_pilot_steps.h"

namespace {

using bastion::World;

void build(World& world, const nlohmann::json& recipe) {
    world = World{};
    world.configure({1, 1, 2, 2, 5, 8}, bastion::ArmRig{});
    world.loadProceduralRecipe(bastion::bench::demoTreeRoot(), recipe);
}

// One 90 Hz World::step of a generated mission at the budgets' limits (an
// 8-block map: 81 nodes, 144 roads, 768 buildings, a canal, three strike
// zones of 12 ground units and 8 air units); the pilot stands still and
// never falls.
void BM_StepFullProceduralMission(benchmark::State& state) {
    nlohmann::json recipe = bastion::fixtures::gridRecipeV3(8, 12);
    recipe["encounters"] = {{"ground_per_zone", 12}, {"air_units", 8}};
    World world;
    build(world, recipe);
    const bastion::Input still;
    const std::size_t projectiles = bastion::bench::stepWithUndyingPilot(
        state, world, [&](World& w) { build(w, recipe); }, [&](int) { return still; });
    state.SetLabel(std::to_string(world.targets.size()) + " targets, " + std::to_string(world.ground.size()) +
                   " ground triangles, up to " + std::to_string(projectiles) + " projectiles");
}
BENCHMARK(BM_StepFullProceduralMission)->Unit(benchmark::kMicrosecond);

}  // namespace
