#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>

#include "world/world.h"

namespace bastion::testing_support {

struct DemoMission {
    int campaign = 0;
    int mission = 0;
};

// The demo mission whose loaded World scores highest by `score`, the first
// one on ties. Header-only: the fuzzers link their own instrumented World.
inline DemoMission busiestDemoMission(const std::filesystem::path& retail,
                                      const std::function<std::size_t(const World&)>& score) {
    DemoMission best;
    std::size_t most = 0;
    bool first = true;
    for (int campaign = 0; campaign < 2; ++campaign) {
        for (int mission = 0; mission < (campaign == 0 ? 16 : 20); ++mission) {
            World world;
            world.loadMission(retail, mission, campaign, true);
            const std::size_t points = score(world);
            if (first || points > most) {
                most = points;
                best = {campaign, mission};
                first = false;
            }
        }
    }
    return best;
}

}  // namespace bastion::testing_support
