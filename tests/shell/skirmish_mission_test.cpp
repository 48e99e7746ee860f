#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "shell/frontend/frontend.h"
#include "shell/skirmish_mission.h"
#include "support/demo_content.h"
#include "support/refusal.h"
#include "world/world.h"

namespace bastion {
namespace {

using nlohmann::json;
using testing_support::refusal;

json recipeOf(const char* kind, const char* biome, const char* water) {
    return {{"mission", {{"kind", kind}}}, {"terrain", {{"biome", biome}, {"water_layout", water}}}};
}

TEST(SkirmishMission, StatusLineNamesTheMapAndTheTask) {
    struct Row {
        const char* kind;
        bool extraction;
        std::string expected;
    };
    const Row rows[] = {
        {"strike", true, "hills / canal / DESTROY THE MARKED STRUCTURES. RETURN TO EX FOR EXTRACTION. / 3 LEFT"},
        {"recon", false, "hills / canal / HOLD EACH MARKED ZONE FOR 4 SECONDS. / 3 LEFT"},
        {"eliminate", false, "hills / canal / DESTROY EVERY MARKED HOSTILE GROUP. / 3 LEFT"},
        {"other", true, "hills / canal / DESTROY EVERY MARKED HOSTILE GROUP. RETURN TO EX FOR EXTRACTION. / 3 LEFT"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(skirmishStatusLine(recipeOf(row.kind, "hills", "canal"), row.extraction, "3 LEFT"), row.expected);
    }
    EXPECT_EQ(skirmishSeedLine(recipeOf("strike", "desert", "none"), 4294967295u),
              "Skirmish seed=4294967295 objective=strike terrain=desert\n");
}

TEST(SkirmishMission, ARecipeWithoutItsNamesIsAFailure) {
    json recipe = recipeOf("recon", "urban", "lake");
    recipe["terrain"].erase("water_layout");
    EXPECT_NE(refusal([&] { skirmishStatusLine(recipe, false, ""); }), "accepted");
    recipe = recipeOf("recon", "urban", "lake");
    recipe["mission"]["kind"] = 2;
    EXPECT_NE(refusal([&] { skirmishSeedLine(recipe, 1); }), "accepted");
}

// A held recipe is built as it is; an empty holder is filled from the
// settings, and settings the generator refuses leave it empty.
TEST(SkirmishMission, GeneratesOnlyWhenNoRecipeIsHeld) {
    Frontend frontend;
    frontend.skirmish = true;
    frontend.skirmishSettings.seed = 7;
    std::ostringstream out;
    MissionSources sources;
    sources.out = &out;
    std::optional<json> recipe;
    World fresh;

    frontend.skirmishSettings.airUnits = 9;
    EXPECT_EQ(refusal([&] { loadSkirmishMission(fresh, frontend, sources, recipe); }),
              "Invalid Skirmish settings: air units must be 0..8");
    EXPECT_FALSE(recipe.has_value());

    frontend.skirmishSettings.airUnits = 3;
    refusal([&] { loadSkirmishMission(fresh, frontend, sources, recipe); });
    ASSERT_TRUE(recipe.has_value());
    EXPECT_EQ((*recipe)["seed"], 7u);

    recipe = json{{"seed", "held"}};
    refusal([&] { loadSkirmishMission(fresh, frontend, sources, recipe); });
    EXPECT_EQ((*recipe)["seed"], "held");
}

// A built skirmish describes itself on the status line and names its seed on
// standard output.
TEST(SkirmishMission, ABuiltSkirmishNamesItsSeed) {
    Frontend frontend;
    frontend.skirmish = true;
    frontend.skirmishSettings.seed = 7;
    frontend.skirmishSettings.objective = 1;
    std::ostringstream out;
    MissionSources sources;
    sources.retail = testing_support::demoContent();
    sources.out = &out;
    std::optional<json> recipe;
    World fresh;
    loadSkirmishMission(fresh, frontend, sources, recipe);
    EXPECT_TRUE(fresh.procedural);
    EXPECT_FALSE(fresh.objectiveText.empty());
    EXPECT_EQ(frontend.statusLine,
              "hills / lake / DESTROY THE MARKED STRUCTURES. RETURN TO EX FOR EXTRACTION. / " + fresh.objectiveText);
    EXPECT_EQ(out.str(), "Skirmish seed=7 objective=strike terrain=hills\n");
}

}  // namespace
}  // namespace bastion
