#include <cmath>
#include <filesystem>
#include <numbers>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "procedural/recipe_fixtures.h"
#include "support/demo_content.h"
#include "support/content/files.h"
#include "support/temp_folder.h"
#include "support/vec_expect.h"
#include "world/world.h"

namespace bastion {
namespace {

using fixtures::json;
using testing_support::demoContent;
using testing_support::expectNear;

constexpr Loadout kLoadout = {kEmptyHand, kRifle, kRail, kShield, kRocketLauncher, kGrenadeRack};

// A configured single-player World on hard, as the shell hands it over.
World configured() {
    World world;
    world.difficulty = 1;
    world.configure(kLoadout, ArmRig{});
    return world;
}

std::size_t countIf(const World& world, bool (*predicate)(const Target&)) {
    std::size_t count = 0;
    for (const Target& target : world.targets) count += predicate(target);
    return count;
}

// The small version-3 layout: one road from the spawn at (-100, 0) to the
// encounter zone at (100, 0), one plot of two buildings beside it.
TEST(LayoutPopulation, SmallVersion3Layout) {
    World world = configured();
    world.loadProceduralRecipe(demoContent(), fixtures::smallRecipeV3());

    EXPECT_TRUE(world.prototype);
    EXPECT_TRUE(world.procedural);
    EXPECT_TRUE(world.proceduralTerrain);
    EXPECT_FALSE(world.coop);
    EXPECT_EQ(world.prototypeSeed, 7u);
    EXPECT_EQ(world.difficulty, 1) << "the difficulty comes along";
    EXPECT_EQ(world.pilot.weapons[2], kRail) << "so does the pilot record";

    // The pilot on the spawn node, facing along its road towards +x.
    expectNear(world.pilot.position, {-100, 0, 0}, 1e-4f);
    EXPECT_FLOAT_EQ(world.pilot.angles[0], -std::numbers::pi_v<float> / 2);
    EXPECT_FLOAT_EQ(world.pilot.angles[2], world.pilot.angles[0]) << "aim yaw";
    EXPECT_EQ(world.pilot.angles[1], 0.0f);
    EXPECT_EQ(world.pilot.angles[3], 0.0f);
    EXPECT_EQ(world.pilot.status, kStatusActive);

    // One supply crate 20 m down that road.
    ASSERT_EQ(world.pickups.size(), 1u);
    EXPECT_EQ(world.pickups[0].kind, 22);
    EXPECT_FALSE(world.pickups[0].collected);
    expectNear(world.pickups[0].position, {-80, 0, 0}, 1e-4f);

    // Two buildings on the plot, four hostiles counting towards the zone.
    const auto building = [](const Target& t) { return t.unitType < 0; };
    const auto hostile = [](const Target& t) { return t.unitType >= 0 && t.prototypeObjective; };
    EXPECT_EQ(countIf(world, building), 2u);
    EXPECT_EQ(countIf(world, hostile), 4u);
    for (const Target& target : world.targets) {
        if (target.unitType >= 0) continue;
        EXPECT_FALSE(target.prototypeObjective);
        EXPECT_EQ(target.objectiveIndex, -1);
        EXPECT_GE(target.position.x - target.extent.x, -60.001f);
        EXPECT_LE(target.position.x + target.extent.x, -19.999f);
        EXPECT_GE(target.position.z - target.extent.z, 19.999f);
        EXPECT_LE(target.position.z + target.extent.z, 60.001f);
    }

    const ProceduralMission& mission = world.proceduralMission;
    ASSERT_EQ(mission.objectives.size(), 1u);
    const ProceduralObjective& zone = mission.objectives[0];
    EXPECT_EQ(zone.kind, 0);
    expectNear(zone.centre, {100, 0, 0}, 1e-4f);
    EXPECT_FLOAT_EQ(zone.radius, 8.0f);
    EXPECT_FLOAT_EQ(zone.holdSeconds, 4.0f);
    ASSERT_EQ(zone.targets.size(), 4u);
    for (const u64 index : zone.targets) EXPECT_EQ(world.targets[index].objectiveIndex, 0);
    EXPECT_FALSE(mission.extractionRequired);
    expectNear(mission.extraction, world.pilot.position, 0.0f);
    EXPECT_EQ(world.objectiveText, "ELIMINATE 0/1 / 4 HOSTILES / 200 M");
}

// Strike zones target the building nearest them; the air units come from
// both campaigns' first missions.
TEST(LayoutPopulation, StrikeLayoutWithExtractionAndAircraft) {
    World world = configured();
    const json recipe = fixtures::strikeRecipeV3();
    world.loadProceduralRecipe(demoContent(), recipe);
    const ProceduralMission& mission = world.proceduralMission;
    ASSERT_EQ(mission.objectives.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const ProceduralObjective& zone = mission.objectives[i];
        EXPECT_EQ(zone.kind, 1);
        ASSERT_EQ(zone.targets.size(), 1u);
        const Target& structure = world.targets[zone.targets[0]];
        EXPECT_LT(structure.unitType, 0);
        EXPECT_TRUE(structure.prototypeObjective);
        EXPECT_EQ(structure.objectiveIndex, static_cast<int>(i));
        EXPECT_FLOAT_EQ(structure.health, 300.0f * world.ratio);
        EXPECT_EQ(zone.centre, structure.position);
    }
    // Plot 0 holds three buildings; the one nearest node 1 at (0, 0) is the target.
    const Target& first = world.targets[mission.objectives[0].targets[0]];
    for (const Target& other : world.targets) {
        if (other.unitType < 0 && other.position.x > 20 && other.position.x < 60 && other.position.z < 60) {
            EXPECT_LE(length(first.position - Vec3{0, world.surfaceHeight(0, 0), 0}),
                      length(other.position - Vec3{0, world.surfaceHeight(0, 0), 0}));
        }
    }
    EXPECT_TRUE(mission.extractionRequired);
    expectNear(mission.extraction, world.pilot.position, 1e-4f);
    std::size_t aircraft = 0;
    for (const Target& target : world.targets) {
        if (target.unitType >= 0) {
            EXPECT_FALSE(target.prototypeObjective) << "strike zones count structures only";
        }
        aircraft += target.unitType == 1 || target.unitType == 18;
    }
    EXPECT_EQ(aircraft, 2u);
    const auto metres = static_cast<int>(std::hypot(first.position.x - world.pilot.position.x,
                                                    first.position.z - world.pilot.position.z));
    EXPECT_EQ(world.objectiveText, "STRIKE 0/2 / 1 STRUCTURES / " + std::to_string(metres) + " M");
}

// Version 2: flat road ground, one building per plot, standing at height 0.
TEST(LayoutPopulation, Version2LayoutIsFlat) {
    World world = configured();
    json recipe = fixtures::smallRecipeV2();
    recipe["mission"] = {{"kind", "recon"}, {"extraction", true}, {"hold_seconds", 6}};
    recipe["objectives"][0]["kind"] = "recon";
    recipe["extraction"] = {{"node", 0}, {"radius", 5}};
    world.loadProceduralRecipe(demoContent(), recipe);

    EXPECT_FALSE(world.proceduralTerrain);
    expectNear(world.groundColour, {0.22f, 0.30f, 0.19f}, 0.0f);
    EXPECT_EQ(world.terrain.size(), 6u) << "one quad for the one road";
    EXPECT_EQ(world.surfaceHeight(-40, 40), 0.0f);
    EXPECT_EQ(countIf(world, [](const Target& t) { return t.unitType < 0; }), 1u);
    for (const Target& target : world.targets) {
        if (target.unitType < 0) {
            EXPECT_NEAR(target.position.y - target.extent.y, 0.0f, 1e-4f);
        }
    }
    const ProceduralMission& mission = world.proceduralMission;
    ASSERT_EQ(mission.objectives.size(), 1u);
    EXPECT_EQ(mission.objectives[0].kind, 2);
    EXPECT_FLOAT_EQ(mission.objectives[0].holdSeconds, 6.0f);
    EXPECT_TRUE(mission.objectives[0].targets.empty());
    EXPECT_TRUE(mission.extractionRequired);
    EXPECT_FLOAT_EQ(mission.extractionRadius, 5.0f);
    EXPECT_EQ(world.objectiveText, "RECON 0/1 / HOLD 0/6 S / 200 M");
}

// Every refusal leaves the World as it was: the native test range and its
// objective text.
TEST(LayoutPopulation, FailuresLeaveTheWorldUntouched) {
    testing_support::TempFolder temp{"layout-population"};
    const std::filesystem::path noShared = temp.path() / "no-shared";
    std::filesystem::create_directories(noShared);

    const struct {
        const char* name;
        json recipe;
        std::filesystem::path root;
        bool coop;
        std::string message;
    } cases[] = {
        {"co-op refuses before validation", json::object(), demoContent(), true,
         "Procedural mission is singleplayer only"},
        {"invalid recipe", json::object(), demoContent(), false, "Invalid procedural recipe: unsupported schema"},
        {"no prototype base", fixtures::smallRecipeV3(), noShared, false,
         "Mission prototype requires both decoded games and the SB2 shared atlas"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        World world;
        world.coop = c.coop;
        world.objectiveText = "BEFORE";
        try {
            world.loadProceduralRecipe(c.root, c.recipe);
            ADD_FAILURE() << "accepted";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
        EXPECT_EQ(world.targets.size(), testRangeTargets().size());
        EXPECT_EQ(world.objectiveText, "BEFORE");
        EXPECT_FALSE(world.procedural);
        EXPECT_FALSE(world.prototype);
    }
}

TEST(LayoutPopulation, RecipeFiles) {
    testing_support::TempFolder temp{"layout-files"};
    const std::string recipe = fixtures::smallRecipeV3().dump();
    const auto file = [&](const char* name, const std::string& text) {
        const std::filesystem::path path = temp.path() / name;
        testing_support::writeFile(path, text);
        return path;
    };
    const std::filesystem::path exact = file("exact.json", recipe + std::string(1048576 - recipe.size(), ' '));
    const std::filesystem::path over = file("over.json", recipe + std::string(1048577 - recipe.size(), ' '));
    const std::filesystem::path broken = file("broken.json", "{");

    World world = configured();
    world.loadProceduralPrototype(demoContent(), exact);
    EXPECT_TRUE(world.procedural) << "exactly 1 MiB is read";

    const struct {
        std::filesystem::path path;
        std::string message;
    } refusals[] = {
        {over, "Missing or oversized procedural recipe"},
        {temp.path() / "absent.json", "Missing or oversized procedural recipe"},
        {temp.path(), "Missing or oversized procedural recipe"},
    };
    for (const auto& refusal : refusals) {
        World untouched;
        try {
            untouched.loadProceduralPrototype(demoContent(), refusal.path);
            ADD_FAILURE() << refusal.path;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), refusal.message) << refusal.path;
        }
        EXPECT_FALSE(untouched.procedural);
    }
    World untouched;
    EXPECT_THROW(untouched.loadProceduralPrototype(demoContent(), broken), nlohmann::json::parse_error);
    untouched.coop = true;
    try {
        untouched.loadProceduralPrototype(demoContent(), temp.path() / "absent.json");
        ADD_FAILURE() << "a co-op World read the file";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Procedural mission is singleplayer only");
    }
}

}  // namespace
}  // namespace bastion
