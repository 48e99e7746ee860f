#include <benchmark/benchmark.h>

#include <vector>

#include "procedural/encounter_fixtures.h"
#include "procedural/internal/encounters.h"
#include "world/world.h"

namespace {

using bastion::Target;
using bastion::World;

// The budgets' largest layout (81 nodes, 144 roads, 8 zones of 8 ground
// actors, 8 air units) with the scenery budget's 768 buildings standing in
// its blocks, 12 to a block, as obstacles for every line test.
World furnishedWorld(const nlohmann::json& recipe) {
    World world = bastion::fixtures::encounterWorld(recipe);
    for (int bx = 0; bx < 8; ++bx) {
        for (int bz = 0; bz < 8; ++bz) {
            for (int k = 0; k < 12; ++k) {
                Target building;
                building.position = {-400.0f + 105.0f * static_cast<float>(bx) + 20.0f * static_cast<float>(k % 4),
                                     9.0f, -400.0f + 105.0f * static_cast<float>(bz) + 25.0f * static_cast<float>(k / 4)};
                building.extent = {7.0f, 9.0f, 7.0f};
                world.targets.push_back(building);
            }
        }
    }
    return world;
}

void EncounterPlacementLargestLayout(benchmark::State& state) {
    const nlohmann::json recipe = bastion::fixtures::largestRecipe();
    const std::vector<Target> templates = bastion::fixtures::encounterTemplates();
    const World furnished = furnishedWorld(recipe);
    std::size_t placed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        World world = bastion::fixtures::encounterWorld(recipe);
        world.targets = furnished.targets;
        state.ResumeTiming();
        bastion::populateProceduralEncounters(world, recipe, templates);
        placed = world.targets.size() - furnished.targets.size();
        benchmark::DoNotOptimize(world.targets.data());
    }
    state.counters["actors"] = static_cast<double>(placed);
}
BENCHMARK(EncounterPlacementLargestLayout)->Unit(benchmark::kMillisecond);

}  // namespace
