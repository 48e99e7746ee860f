#include <benchmark/benchmark.h>

#include "world/world.h"

namespace {

void BM_WorldConstruct(benchmark::State& state) {
    for (auto _ : state) {
        bastion::World world;
        benchmark::DoNotOptimize(world.targets.data());
    }
}
BENCHMARK(BM_WorldConstruct);

void BM_WorldConfigure(benchmark::State& state) {
    bastion::World world;
    const bastion::Loadout loadout{1, 1, 2, 2, 5, 8};
    const bastion::ArmRig rig;
    for (auto _ : state) {
        world.configure(loadout, rig);
        benchmark::DoNotOptimize(world.pilot.ammo);
    }
}
BENCHMARK(BM_WorldConfigure);

}  // namespace
