#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

#include "support/busiest_mission.h"
#include "world/world.h"

namespace bastion::bench {

using DemoMission = testing_support::DemoMission;

// The demo content tree, written once per run into a private temp folder
// that is removed when the program ends.
const std::filesystem::path& demoTreeRoot();

// The demo mission whose loaded World scores highest by `score` (the first
// one on ties).
DemoMission topDemoMission(const std::function<std::size_t(const World&)>& score);

// "SB1 mission 3" and the like.
std::string describe(DemoMission mission);

}  // namespace bastion::bench
