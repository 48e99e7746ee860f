#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "procedural/internal/encounter_clearance.h"
#include "procedural/internal/encounter_roads.h"
#include "procedural/internal/encounters.h"
#include "procedural/encounter_fixtures.h"
#include "procedural/recipe_fixtures.h"
#include "procedural/recipe_validation.h"
#include "world/world.h"

namespace bastion {
namespace {

using fixtures::json;

float horizontal(Vec3 a, Vec3 b) { return std::hypot(a.x - b.x, a.z - b.z); }

std::vector<Target> place(World& world, const json& recipe,
                          const std::vector<Target>& templates = fixtures::encounterTemplates()) {
    const std::size_t before = world.targets.size();
    populateProceduralEncounters(world, recipe, templates);
    return {world.targets.begin() + static_cast<std::ptrdiff_t>(before), world.targets.end()};
}

std::vector<Target> place(const json& recipe) {
    World world = fixtures::encounterWorld(recipe);
    return place(world, recipe);
}

int groundCount(const std::vector<Target>& actors, int objective) {
    int count = 0;
    for (const Target& actor : actors) count += actor.unitType != 1 && actor.unitType != 18 && actor.objectiveIndex == objective;
    return count;
}

int airCount(const std::vector<Target>& actors) {
    int count = 0;
    for (const Target& actor : actors) count += actor.unitType == 1 || actor.unitType == 18;
    return count;
}

TEST(ProceduralEncounters, GroupsPerVersionAndObjective) {
    const json grid = fixtures::gridRecipe(5, 150, {12, 24});
    json v2 = grid;
    v2["version"] = 2;
    v2.erase("encounters");
    json v2Recon = v2;
    v2Recon["mission"]["kind"] = "recon";
    for (auto& objective : v2Recon["objectives"]) objective["kind"] = "recon";
    json v3Default = grid;
    v3Default.erase("encounters");
    json v3Six = grid;
    v3Six["encounters"]["ground_per_zone"] = 6;
    json eightZones = fixtures::gridRecipe(5, 150, {2, 4, 10, 12, 14, 20, 22, 24});
    eightZones["encounters"]["ground_per_zone"] = 12;
    const struct {
        const char* name;
        json recipe;
        std::vector<int> ground;
        int air;
        bool valid;
    } cases[] = {
        {"version 2 encounter zones: 3 groups", v2, {3, 3}, 0, true},
        {"version 2 other kinds: 2 groups", v2Recon, {2, 2}, 0, true},
        {"version 3 takes ground_per_zone", grid, {4, 4}, 2, true},
        {"version 3 takes 6 groups", v3Six, {6, 6}, 2, true},
        {"version 3 without controls: 6 ground, 3 air", v3Default, {6, 6}, 3, false},
        {"8 zones share 64", eightZones, {8, 8, 8, 8, 8, 8, 8, 8}, 2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The others only reach the placement from code that skipped the
        // validation; the placement still keeps to its own limits.
        if (c.valid) {
            ASSERT_NO_THROW(validateProceduralRecipe(c.recipe));
        }
        const std::vector<Target> actors = place(c.recipe);
        for (std::size_t i = 0; i < c.ground.size(); ++i) EXPECT_EQ(groundCount(actors, static_cast<int>(i)), c.ground[i]) << i;
        EXPECT_EQ(airCount(actors), c.air);
    }
}

TEST(ProceduralEncounters, FirstKindsOfEachObjective) {
    json recipe = fixtures::gridRecipe(5, 150, {12});
    recipe["encounters"]["ground_per_zone"] = 5;
    const std::vector<Target> encounter = place(recipe);
    std::vector<int> types;
    for (const Target& actor : encounter) {
        if (actor.objectiveIndex == 0) types.push_back(actor.unitType);
    }
    EXPECT_EQ(types, (std::vector<int>{0, 2, 14, 0, 2})) << "tank, gun, Satyr in turn";
    for (const Target& actor : encounter) {
        if (actor.objectiveIndex < 0) continue;
        EXPECT_TRUE(actor.prototypeObjective);
        EXPECT_EQ(actor.tag, 255);
        EXPECT_FLOAT_EQ(actor.range, 10000.0f);
        EXPECT_EQ(actor.parameters[0], actor.unitType == 2 ? 14000 : 11000);
    }

    // Other kinds: Satyrs on odd groups, a seeded tank or gun on even ones.
    recipe["mission"]["kind"] = "recon";
    recipe["objectives"][0]["kind"] = "recon";
    const std::vector<Target> recon = place(recipe);
    const int even = static_cast<int>((11u + 0u) & 1u);  // seed 11, objective 0, group 0
    EXPECT_EQ(recon[0].unitType, even ? 2 : 0);
    EXPECT_EQ(recon[1].unitType, 14);
    EXPECT_FALSE(recon[0].prototypeObjective) << "only encounter zones count their actors";
    EXPECT_EQ(recon[0].objectiveIndex, 0);
}

TEST(ProceduralEncounters, SameRecipeSamePlacement) {
    const json recipe = fixtures::largestRecipe();
    const std::vector<Target> first = place(recipe);
    const std::vector<Target> second = place(recipe);
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].unitType, second[i].unitType);
        EXPECT_EQ(first[i].home, second[i].home);
        EXPECT_EQ(first[i].homeYaw, second[i].homeYaw);
    }
    json reseeded = recipe;
    reseeded["seed"] = 12;
    World world = fixtures::encounterWorld(reseeded);
    const std::vector<Target> other = place(world, reseeded);
    bool differs = other.size() != first.size();
    for (std::size_t i = 0; !differs && i < first.size(); ++i) differs = !(other[i].home == first[i].home);
    EXPECT_TRUE(differs) << "the seed shuffles the anchors";
}

// The budgets' largest map: every ground actor on its road, apart from the
// others and clear of every zone; the air units stacked above everything.
TEST(ProceduralEncounters, LargestLayoutKeepsSpacingAndClearances) {
    const json recipe = fixtures::largestRecipe();
    ASSERT_NO_THROW(validateProceduralRecipe(recipe));
    World world = fixtures::encounterWorld(recipe);
    Target tower = fixtures::unitTemplate(-1, {5, 15, 5});
    tower.position = {-380, 15, -300};
    tower.extent = {5, 15, 5};
    world.targets.push_back(tower);
    const std::vector<Target> actors = place(world, recipe);
    const Vec3 pilot = world.pilot.position;
    std::vector<Vec3> objectives;
    for (const auto& objective : recipe["objectives"]) {
        const auto& node = recipe["nodes"][objective["node"].get<std::size_t>()];
        objectives.push_back({node[0].get<float>(), 0, node[1].get<float>()});
    }
    std::vector<const Target*> ground, air;
    for (const Target& actor : actors) (actor.unitType == 1 || actor.unitType == 18 ? air : ground).push_back(&actor);
    EXPECT_EQ(ground.size(), 64u);
    EXPECT_EQ(air.size(), 8u);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(groundCount(actors, i), 8) << "objective " << i;
    for (std::size_t a = 0; a < ground.size(); ++a) {
        const Target& actor = *ground[a];
        const float r = std::hypot(actor.extent.x, actor.extent.z);
        EXPECT_GE(horizontal(actor.position, pilot), 60.0f);
        for (Vec3 node : objectives) EXPECT_GE(horizontal(actor.position, node), 8 + r + 2);
        // On a road: the grid's roads run along x = k * 105 - 420 or z = ...
        const float offX = std::fabs(std::remainder(actor.position.x + 420.0f, 105.0f));
        const float offZ = std::fabs(std::remainder(actor.position.z + 420.0f, 105.0f));
        EXPECT_TRUE((offX < 1e-3f && actor.extent.x + 1 <= 10) || (offZ < 1e-3f && actor.extent.z + 1 <= 10))
            << actor.position.x << "," << actor.position.z;
        EXPECT_NEAR(actor.position.y - actor.extent.y, 0.0f, 1e-4f) << "standing on the ground";
        for (std::size_t b = a + 1; b < ground.size(); ++b) EXPECT_GE(horizontal(actor.position, ground[b]->position), 20.0f);
        if (!actor.route.empty()) {
            ASSERT_EQ(actor.route.size(), 2u);
            EXPECT_EQ(actor.route[1], actor.home);
            if (actor.unitType == 0) {
                EXPECT_EQ(actor.behaviour, 2u);
            }
        } else if (actor.unitType == 0) {
            EXPECT_EQ(actor.behaviour, 4u);
        }
    }
    const float floor = 30.0f + 18.0f;  // the tower's top
    for (std::size_t k = 0; k < air.size(); ++k) {
        const Target& unit = *air[k];
        EXPECT_EQ(unit.unitType, k % 2 == 0 ? 1 : 18);
        EXPECT_NEAR(unit.position.y - unit.extent.y, floor + 12.0f * static_cast<float>(k % 3), 1e-3f);
        EXPECT_GE(horizontal(unit.position, pilot), 90.0f);
        EXPECT_LE(std::fabs(unit.position.x) + unit.extent.x, 980.0f);
        ASSERT_EQ(unit.route.size(), 4u);
        EXPECT_FLOAT_EQ(unit.route[3].x, unit.home.x) << "the patrol ends where it began";
        EXPECT_FLOAT_EQ(unit.route[3].z, unit.home.z);
        EXPECT_EQ(unit.objectiveIndex, -1);
        for (std::size_t j = k + 1; j < air.size(); ++j) EXPECT_GE(horizontal(unit.position, air[j]->position), 40.0f);
    }
}

TEST(ProceduralEncounters, GroundActorsFaceThePilot) {
    const json recipe = fixtures::gridRecipe(5, 150, {12});
    World world = fixtures::encounterWorld(recipe);
    for (const Target& actor : place(world, recipe)) {
        if (actor.objectiveIndex < 0) continue;
        const Vec3 pilot = world.pilot.position;
        // The heading was taken at the anchor, which the box centre now marks.
        EXPECT_NEAR(actor.homeYaw, std::atan2(actor.position.x - pilot.x, actor.position.z - pilot.z), 1e-5f);
        EXPECT_EQ(actor.anchor, actor.home) << "a reset returns it here";
        EXPECT_FLOAT_EQ(actor.initialHealth, actor.health);
    }
}

TEST(ProceduralEncounters, RoadWidthLimitsTheActorsAcrossIt) {
    // An 18 m road (half width 9) holds a box 8 across but not 8.5.
    for (const float across : {8.0f, 8.5f}) {
        SCOPED_TRACE(across);
        json recipe = fixtures::gridRecipe(2, 300, {3}, 18);
        recipe["encounters"] = {{"ground_per_zone", 1}, {"air_units", 0}};
        // Square boxes: whatever the heading, the half-size across is `across`.
        std::vector<Target> templates = {fixtures::unitTemplate(0, {across, 2, across}),
                                         fixtures::unitTemplate(2, {across, 2, across}),
                                         fixtures::unitTemplate(14, {across, 2, across})};
        World world = fixtures::encounterWorld(recipe);
        if (across == 8.0f) {
            // Facing the pilot from the two roads that leave its corner, the
            // boxes turn by quarter turns and stay 8 across.
            EXPECT_EQ(place(world, recipe, templates).size(), 1u);
        } else {
            EXPECT_THROW(place(world, recipe, templates), std::runtime_error);
        }
    }
}

TEST(ProceduralEncounters, AnchorsPerRoad) {
    World world;
    json recipe = fixtures::gridRecipe(2, 300, {3});
    recipe["nodes"] = {{0, 0}, {5, 0}, {0, 400}, {0, 95}};
    recipe["roads"] = {{{"nodes", {0, 1}}, {"width", 20}}, {{"nodes", {0, 2}}, {"width", 20}},
                       {{"nodes", {0, 3}}, {"width", 20}}};
    const std::vector<Vec3> nodes = encounter::recipeNodes(recipe);
    const auto roads = encounter::encounterRoads(world, recipe, nodes);
    const auto anchors = encounter::shuffledAnchors(roads, 0);
    std::size_t perRoad[3] = {};
    for (const auto& anchor : anchors) ++perRoad[anchor.road];
    EXPECT_EQ(perRoad[0], 1u) << "a 5 m road gets one anchor";
    EXPECT_EQ(perRoad[1], 24u);
    EXPECT_EQ(perRoad[2], 9u);
    for (const auto& anchor : anchors) {
        if (anchor.road == 0) {
            EXPECT_FLOAT_EQ(anchor.position.x, 2.5f) << "at its middle";
        }
    }
}

TEST(ProceduralEncounters, SegmentBoxTouches) {
    const Vec3 centre{0, 0, 0}, half{1, 1, 1};
    EXPECT_TRUE(encounter::intersects({-5, 0, 0}, {5, 0, 0}, centre, half));
    EXPECT_TRUE(encounter::intersects({-5, 1, 0}, {5, 1, 0}, centre, half)) << "touching a face";
    EXPECT_FALSE(encounter::intersects({-5, 1.01f, 0}, {5, 1.01f, 0}, centre, half));
    EXPECT_FALSE(encounter::intersects({-5, 0, 0}, {-2, 0, 0}, centre, half)) << "ends short";
    EXPECT_TRUE(encounter::intersects({0.5f, 0, 0}, {0.5f, 0, 0}, centre, half)) << "a point inside";
    EXPECT_TRUE(encounter::intersects({-3, -3, 0}, {3, 3, 0}, centre, half));
}

TEST(ProceduralEncounters, SmallMapGetsNoAirUnits) {
    json recipe = fixtures::gridRecipe(2, 40, {3});
    recipe["bounds"] = {-45, -200, 45, 200};  // 90 wide
    recipe["nodes"] = {{-20, -150}, {-20, 150}, {20, -150}, {20, 150}};
    recipe["roads"] = {{{"nodes", {0, 1}}, {"width", 20}}, {{"nodes", {2, 3}}, {"width", 20}},
                       {{"nodes", {1, 3}}, {"width", 20}}};
    recipe["encounters"] = {{"ground_per_zone", 2}, {"air_units", 8}};
    EXPECT_EQ(airCount(place(recipe)), 0);
}

// Every refusal, and the World's target list as it was after each.
TEST(ProceduralEncounters, RefusalsLeaveTheTargetsAlone) {
    const json good = fixtures::gridRecipe(5, 150, {12, 24});
    const std::vector<Target> templates = fixtures::encounterTemplates();
    auto edit = [&](auto change) {
        json recipe = good;
        change(recipe);
        return recipe;
    };
    std::vector<Target> noGun = templates;
    noGun[1].unitType = 3;
    std::vector<Target> emptyGunMesh = templates;
    emptyGunMesh[1].mesh = std::make_shared<Mesh>();
    std::vector<Target> deadGun = templates;
    deadGun[1].health = 0.0f;
    const std::vector<Target> groundOnly(templates.begin(), templates.begin() + 3);
    const std::vector<Target> oneAircraft(templates.begin(), templates.begin() + 4);

    const struct {
        json recipe;
        std::vector<Target> templates;
        std::string message;
    } cases[] = {
        {good, {}, "Missing procedural encounter templates"},
        {edit([](json& r) { for (int i = 0; i < 57; ++i) r["nodes"].push_back({900, i * 10}); }), templates,
         "Procedural encounter budget exceeded"},
        {edit([](json& r) { r["objectives"] = json::array(); }), templates, "Procedural encounter budget exceeded"},
        {edit([](json& r) { for (int i = 0; i < 7; ++i) r["objectives"].push_back(r["objectives"][0]); }), templates,
         "Procedural encounter budget exceeded"},
        {edit([](json& r) { while (r["roads"].size() <= 144) r["roads"].push_back(r["roads"][0]); }), templates,
         "Procedural encounter budget exceeded"},
        {good, noGun, "Missing tank, gun or Satyr encounter template"},
        {good, emptyGunMesh, "Missing tank, gun or Satyr encounter template"},
        {good, deadGun, "Missing tank, gun or Satyr encounter template"},
        {edit([](json& r) { r["roads"].push_back({{"nodes", {0, 6}}, {"width", 20}}); }), templates,
         "Invalid encounter road"},
        {edit([](json& r) { r["roads"][3]["width"] = 15; }), templates, "Invalid encounter road"},
        {edit([](json& r) { r["roads"][3]["width"] = 61; }), templates, "Invalid encounter road"},
        {edit([](json& r) {
             r["nodes"].push_back(r["nodes"][0]);
             r["roads"].push_back({{"nodes", {0, 25}}, {"width", 20}});
         }),
         templates, "Invalid encounter road"},
        {edit([](json& r) { r["encounters"]["ground_per_zone"] = 13; }), templates,
         "Ground encounter count outside 1..12"},
        {edit([](json& r) { r["encounters"]["ground_per_zone"] = 0; }), templates,
         "Ground encounter count outside 1..12"},
        {edit([](json& r) { r["encounters"]["ground_per_zone"] = 4.0; }), templates,
         "Ground encounter count outside 1..12"},
        // The second zone lies beside the spawn: every anchor near it is too
        // close to the pilot, after the first zone's actors were placed.
        // Every anchor lies too close to the pilot.
        {edit([](json& r) {
             r["nodes"].push_back({-300, -270});
             r["roads"] = json::array();
             r["roads"].push_back({{"nodes", {0, 25}}, {"width", 20}});
         }),
         templates, "No safe connected encounter placement for objective 1"},
        // The first zone's twelve groups take every usable anchor.
        {edit([](json& r) {
             r["bounds"] = {-200, -200, 200, 200};
             r["nodes"] = {{-100, 0}, {100, 0}, {100, 100}};
             r["roads"] = json::array();
             r["roads"].push_back({{"nodes", {0, 1}}, {"width", 20}});
             r["roads"].push_back({{"nodes", {1, 2}}, {"width", 20}});
             r["objectives"][0]["node"] = 1;
             r["objectives"][1]["node"] = 2;
             r["encounters"]["ground_per_zone"] = 12;
         }),
         templates, "No safe connected encounter placement for objective 2"},
        {edit([](json& r) { r["encounters"]["air_units"] = 9; }), templates, "Air encounter count outside 0..8"},
        {good, groundOnly, "Missing procedural helicopter or fighter template"},
        {good, oneAircraft, "Missing procedural helicopter or fighter template"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        World world = fixtures::encounterWorld(c.recipe);
        world.targets = testRangeTargets();
        try {
            populateProceduralEncounters(world, c.recipe, c.templates);
            ADD_FAILURE() << "accepted";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
        const std::vector<Target> range = testRangeTargets();
        ASSERT_EQ(world.targets.size(), range.size());
        for (std::size_t i = 0; i < range.size(); ++i) EXPECT_EQ(world.targets[i].position, range[i].position);
    }
    // Without air units no aircraft template is needed.
    json groundAlone = good;
    groundAlone["encounters"]["air_units"] = 0;
    World world = fixtures::encounterWorld(groundAlone);
    EXPECT_NO_THROW(place(world, groundAlone, groundOnly));
}

}  // namespace
}  // namespace bastion
