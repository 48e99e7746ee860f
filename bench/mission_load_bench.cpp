#include <benchmark/benchmark.h>

#include <string>

#include "demo_tree.h"

namespace {

// The largest mission: the one that loads the most targets.
bastion::bench::DemoMission largestDemoMission() {
    static const bastion::bench::DemoMission largest =
        bastion::bench::topDemoMission([](const bastion::World& world) { return world.targets.size(); });
    return largest;
}

void BM_LoadLargestDemoMission(benchmark::State& state) {
    const bastion::bench::DemoMission largest = largestDemoMission();
    std::size_t targets = 0;
    for (auto _ : state) {
        bastion::World world;
        world.loadMission(bastion::bench::demoTreeRoot(), largest.mission, largest.campaign, true);
        targets = world.targets.size();
        benchmark::DoNotOptimize(world.targets.data());
    }
    state.SetLabel(bastion::bench::describe(largest) + ", " + std::to_string(targets) + " targets");
}
BENCHMARK(BM_LoadLargestDemoMission)->Unit(benchmark::kMillisecond);

}  // namespace
