#include <gtest/gtest.h>

#include <optional>

#include "shell/frontend/frontend.h"
#include "shell/mission_setup.h"
#include "support/demo_content.h"
#include "world/world.h"

namespace bastion {
namespace {

// A prototype start fills the configured World with the seed's mission and
// shows its goal in the status line.
TEST(MissionSetup, PrototypeLoadsTheSeedsMissionAndShowsItsGoal) {
    Frontend frontend;
    const MissionSources sources{testing_support::demoContent(), {}, true, 5, false};
    std::optional<nlohmann::json> recipe;
    World world;
    const Loadout loadout{0, 1, 6, 7, 2, 5};
    world.configure(loadout, ArmRig{});
    loadSelectedMission(world, frontend, sources, recipe);
    EXPECT_TRUE(world.prototype);
    EXPECT_EQ(world.prototypeSeed, 5u);
    EXPECT_EQ(frontend.statusLine, "SEED 5 / PROTOTYPE / SEED 5 / DESTROY 8 TARGETS");
    for (int mount = 0; mount < 6; ++mount) EXPECT_EQ(world.pilot.weapons[mount], loadout[mount]);
    EXPECT_FALSE(recipe.has_value());
}

}  // namespace
}  // namespace bastion
