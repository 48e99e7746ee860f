#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "procedural/recipe_fixtures.h"
#include "shell/frontend/frontend.h"
#include "shell/mission_setup.h"
#include "support/demo_content.h"
#include "support/files.h"
#include "support/temp_folder.h"
#include "world/world.h"

namespace bastion {
namespace {

// A layout file becomes the mission, and the menu's line names its seed with
// the mission's first objective line.
TEST(MissionSetup, ProceduralLayoutIsLoadedAndNamesItsSeed) {
    testing_support::TempFolder temp{"mission-setup"};
    const std::filesystem::path layout = temp.path() / "layout.json";
    testing_support::writeFile(layout, fixtures::smallRecipeV3().dump());
    Frontend frontend;
    MissionSources sources;
    sources.retail = testing_support::demoContent();
    sources.proceduralLayout = layout;
    sources.prototype = true;
    sources.prototypeSeed = 7;
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
