#include "demo_tree.h"

#include <unistd.h>

#include "contentgen/content_tree.h"

namespace bastion::bench {
namespace {

struct DemoTree {
    std::filesystem::path root;

    DemoTree()
        : root(std::filesystem::temp_directory_path() / ("bastion-bench-content-" + std::to_string(::getpid()))) {
        contentgen::writeContentTree(root);
    }
    ~DemoTree() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
};

}  // namespace

const std::filesystem::path& demoTreeRoot() {
    static const DemoTree tree;
    return tree.root;
}

DemoMission topDemoMission(const std::function<std::size_t(const World&)>& score) {
    DemoMission best;
    std::size_t most = 0;
    for (int c = 0; c < 2; ++c) {
        for (int m = 0; m < (c == 0 ? 16 : 20); ++m) {
            World world;
            world.loadMission(demoTreeRoot(), m, c, true);
            if (score(world) > most) {
                most = score(world);
                best = {c, m};
            }
        }
    }
    return best;
}

std::string describe(DemoMission mission) {
    return (mission.campaign == 0 ? "SB1 mission " : "SB2 mission ") + std::to_string(mission.mission);
}

}  // namespace bastion::bench
