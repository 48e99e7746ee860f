#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>

#include "procedural/grid_recipe.h"
#include "procedural/internal/terrain_builder.h"
#include "procedural/recipe_validation.h"
#include "world/world.h"

namespace {

// The largest skirmish: 8 x 8 blocks, 144 roads, 64 full plots and a canal.
// Each iteration builds the ground into a world that already holds one, as
// a rebuilt mission does.
void BM_BuildLargestSkirmishTerrain(benchmark::State& state) {
    const nlohmann::json recipe = bastion::fixtures::gridRecipeV3(8, 12);
    bastion::validateProceduralRecipe(recipe);  // a broken fixture aborts the run
    bastion::World world;
    world.prototypeSeed = recipe["seed"].get<bastion::u32>();
    for (auto _ : state) {
        bastion::buildProceduralTerrain(world, recipe);
        benchmark::DoNotOptimize(world.ground.data());
    }
    state.counters["vertices"] = static_cast<double>(world.terrain.size());
}
BENCHMARK(BM_BuildLargestSkirmishTerrain)->Unit(benchmark::kMillisecond);

}  // namespace
