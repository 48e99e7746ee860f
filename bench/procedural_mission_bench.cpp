#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "demo_tree.h"
#include "procedural/grid_recipe.h"

namespace {

using bastion::World;

constexpr float kFrame = 1.0f / 90.0f;
// Frames between rebuilds, so the run keeps its full cast of units.
constexpr int kFramesPerBuild = 900;

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
    const bastion::Input input;
    int frame = 0;
    std::size_t projectiles = 0;
    for (auto _ : state) {
        if (++frame == kFramesPerBuild) {
            state.PauseTiming();
            build(world, recipe);
            frame = 0;
            state.ResumeTiming();
        }
        world.step(input, kFrame, true);
        world.pilot.health = 100.0f;
        world.pilot.status = bastion::kStatusActive;
        world.sounds.clear();
        projectiles = std::max(projectiles, world.projectiles.size());
    }
    state.SetLabel(std::to_string(world.targets.size()) + " targets, " + std::to_string(world.ground.size()) +
                   " ground triangles, up to " + std::to_string(projectiles) + " projectiles");
}
BENCHMARK(BM_StepFullProceduralMission)->Unit(benchmark::kMicrosecond);

}  // namespace
