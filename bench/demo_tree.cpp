#include "demo_tree.h"

#include "support/busiest_mission.h"
#include "support/content/demo_tree.h"

namespace bastion::bench {

const std::filesystem::path& demoTreeRoot() { return testing_support::processDemoTree("bastion-bench-content-"); }

DemoMission topDemoMission(const std::function<std::size_t(const World&)>& score) {
    return testing_support::busiestDemoMission(demoTreeRoot(), score);
}

std::string describe(DemoMission mission) {
    return (mission.campaign == 0 ? "SB1 mission " : "SB2 mission ") + std::to_string(mission.mission);
}

}  // namespace bastion::bench
