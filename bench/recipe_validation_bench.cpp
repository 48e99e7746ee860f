#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>

#include "procedural/grid_recipe.h"
#include "procedural/recipe_validation.h"

namespace {

using json = nlohmann::json;

void BM_ValidateSkirmishRecipe(benchmark::State& state) {
    // A 5 x 5 block strike map with a canal.
    const json recipe = bastion::fixtures::gridRecipeV3(5, 6);
    bastion::validateProceduralRecipe(recipe);  // a broken fixture aborts the run
    for (auto _ : state) {
        bastion::validateProceduralRecipe(recipe);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ValidateSkirmishRecipe);

}  // namespace
