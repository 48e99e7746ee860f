#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "contentgen/content_tree.h"
#include "world/world.h"

namespace {

// The demo content tree, written once into a private temp folder.
struct DemoTree {
    std::filesystem::path root;
    int campaign = 0;
    int mission = 0;

    DemoTree()
        : root(std::filesystem::temp_directory_path() / ("bastion-bench-content-" + std::to_string(::getpid()))) {
        bastion::contentgen::writeContentTree(root);
        // The largest mission: the one that loads the most targets.
        std::size_t most = 0;
        for (int c = 0; c < 2; ++c) {
            for (int m = 0; m < (c == 0 ? 16 : 20); ++m) {
                bastion::World world;
                world.loadMission(root, m, c, true);
                if (world.targets.size() > most) {
                    most = world.targets.size();
                    campaign = c;
                    mission = m;
                }
            }
        }
    }
    ~DemoTree() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
};

const DemoTree& demoTree() {
    static const DemoTree tree;
    return tree;
}

void BM_LoadLargestDemoMission(benchmark::State& state) {
    const DemoTree& tree = demoTree();
    std::size_t targets = 0;
    for (auto _ : state) {
        bastion::World world;
        world.loadMission(tree.root, tree.mission, tree.campaign, true);
        targets = world.targets.size();
        benchmark::DoNotOptimize(world.targets.data());
    }
    state.SetLabel((tree.campaign == 0 ? "SB1 mission " : "SB2 mission ") + std::to_string(tree.mission) + ", " +
                   std::to_string(targets) + " targets");
}
BENCHMARK(BM_LoadLargestDemoMission)->Unit(benchmark::kMillisecond);

}  // namespace
