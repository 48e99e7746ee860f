#include <benchmark/benchmark.h>

#include "procedural/skirmish_generator.h"

namespace {

// The largest skirmish: 8 x 8 blocks (81 nodes, 64 plots), three strike
// objectives with their plot picks, a lake and every building the density
// allows; validation of the result included, as every caller pays for it.
void BM_GenerateLargestSkirmish(benchmark::State& state) {
    bastion::SkirmishSettings settings;
    settings.mapBlocks = 8;
    settings.objective = 1;
    settings.water = "lake";
    settings.sceneryDensity = 16;
    settings.groundUnitsPerZone = 12;
    settings.airUnits = 8;
    for (auto _ : state) {
        benchmark::DoNotOptimize(bastion::generateSkirmishRecipe(settings));
        ++settings.seed;
    }
}
BENCHMARK(BM_GenerateLargestSkirmish);

}  // namespace
