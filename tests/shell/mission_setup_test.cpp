#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "procedural/recipe_fixtures.h"
#include "shell/frontend/frontend.h"
#include "shell/mission_setup.h"
#include "support/demo_content.h"
#include "support/content/files.h"
#include "support/temp_folder.h"
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
    EXPECT_EQ(frontend.statusLine, "SEED 5 / PROTOTYPE / SEED 5 / DESTROY 10 TARGETS");
    for (int mount = 0; mount < 6; ++mount) EXPECT_EQ(world.pilot.weapons[mount], loadout[mount]);
    EXPECT_FALSE(recipe.has_value());
}

// A layout file becomes the mission, and the status line names its seed
// with the mission's first objective line.
TEST(MissionSetup, ProceduralLayoutIsLoadedAndNamesItsSeed) {
    testing_support::TempFolder temp{"mission-setup"};
    const std::filesystem::path layout = temp.path() / "layout.json";
    testing_support::writeFile(layout, fixtures::smallRecipeV3().dump());
    Frontend frontend;
    const MissionSources sources{testing_support::demoContent(), layout, true, 7, false};
    World fresh;
    std::optional<nlohmann::json> skirmishRecipe;
    loadSelectedMission(fresh, frontend, sources, skirmishRecipe);
    EXPECT_TRUE(fresh.procedural);
    EXPECT_EQ(fresh.prototypeSeed, 7u);
    EXPECT_EQ(frontend.statusLine, "SEED 7 / ELIMINATE 0/1 / 4 HOSTILES / 200 M");
    EXPECT_FALSE(skirmishRecipe.has_value());
}

}  // namespace
}  // namespace bastion
