#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "contentgen/mission_sketch.h"
#include "support/editable_content.h"
#include "support/vec_expect.h"
#include "world/internal/mesh_bounds.h"
#include "world/decoded_json.h"
#include "world/internal/model_mesh.h"
#include "world/world.h"

namespace bastion {
namespace {

using contentgen::GroundPoint;
using contentgen::MissionSketch;
using contentgen::ParameterBytes;
using nlohmann::json;
using testing_support::expectNear;

constexpr float kPi = 3.14159265358979323846f;

// Loads `mission` of `campaign` after `edit` has rewritten it in a private
// copy of the demo content.
// One copy of the demo content per test program; each load restores it.
const testing_support::EditableContent& content() {
    static const testing_support::EditableContent copy;
    return copy;
}

const json& demoDocument(int campaign) {
    static const json documents[2] = {content().missions(0), content().missions(1)};
    return documents[campaign];
}

World loadEdited(int campaign, int mission, const std::function<void(json& mission)>& edit) {
    json document = demoDocument(campaign);
    edit(document["missions"][mission]);
    content().writeMissions(campaign, document);
    World world;
    world.loadMission(content().root(), mission, campaign, false);
    content().writeMissions(campaign, demoDocument(campaign));
    return world;
}

// Index of the first unit: placed objects come first.
std::size_t firstUnit(const World& world) {
    std::size_t i = 0;
    while (i < world.targets.size() && world.targets[i].unitType < 0) ++i;
    return i;
}

// Replaces the mission's spawns with those of `sketch`.
std::function<void(json&)> withSpawns(const MissionSketch& sketch) {
    return [&sketch](json& m) { m["spawns"] = sketch.json()["spawns"]; };
}

TEST(MissionStructures, PlacedObjectsConvertPositionYawAndSlots) {
    const World world = loadEdited(0, 1, [](json& m) {
        m["objects"] = json::array();
        const int slots[] = {0, 1, 31, 32, -1, 300};
        for (int i = 0; i < 6; ++i)
            m["objects"].push_back({{"position", {100 + 1000 * i, 250, 300}}, {"type", 3}, {"tag", 5},
                                    {"action", 7}, {"yaw", 512}, {"target_slot", slots[i]}});
        m["objects"].push_back({{"position", {0, 0, 0}}, {"type", 3}, {"tag", 5}, {"action", 7}, {"yaw", 0}});
    });
    ASSERT_GE(world.targets.size(), 7u);
    const Target& first = world.targets[0];
    expectNear(first.home, {1.0f, 2.5f, -3.0f}, 1e-6f);
    EXPECT_FLOAT_EQ(first.homeYaw, -kPi / 2);
    EXPECT_EQ(first.objectType, 3);
    EXPECT_EQ(first.tag, 5);
    EXPECT_EQ(first.action, 7u);
    EXPECT_EQ(first.unitType, kStaticObject);
    ASSERT_TRUE(first.mesh && first.wreck);
    // A turn of -pi/2 takes model (x, z) to (-z, x).
    const MeshBox model = turnedMeshBox(*first.mesh, 0.0f);
    expectNear(first.position - first.home,
               {-(model.min.z + model.max.z) / 2, (model.min.y + model.max.y) / 2, (model.min.x + model.max.x) / 2},
               1e-4f);
    expectNear(first.extent, {(model.max.z - model.min.z) / 2, (model.max.y - model.min.y) / 2,
                              (model.max.x - model.min.x) / 2},
               1e-4f);

    EXPECT_EQ(world.slots[1], 1);
    EXPECT_EQ(world.slots[31], 2);
    EXPECT_EQ(world.targets[1].targetSlot, 1);
    EXPECT_EQ(world.targets[2].targetSlot, 31);
    for (const int i : {0, 3, 4, 5, 6}) EXPECT_EQ(world.targets[static_cast<std::size_t>(i)].targetSlot, -1) << i;
    int registered = 0;
    for (int s = 0; s < 32; ++s) registered += world.slots[s] >= 0 ? 1 : 0;
    EXPECT_EQ(registered, 2 + 0) << "units of this mission hold no slots";
}

TEST(MissionStructures, SB1TagRulesCountAndProtect) {
    const auto objects = [](std::vector<std::array<int, 5>> list) {  // x, z (file), tag, action, health tag
        return [list](json& m) {
            m["objects"] = json::array();
            for (const auto& o : list)
                m["objects"].push_back({{"position", {o[0], 0, o[1]}}, {"type", 2}, {"tag", o[2]},
                                        {"action", static_cast<u32>(o[3])}, {"yaw", 0}});
        };
    };
    const int defend = static_cast<int>(0x80010000u);
    struct Case {
        int mission;
        std::vector<std::array<int, 5>> objects;
        std::array<int, 3> counters;
    };
    const Case cases[] = {
        {0, {{0, 0, 32, 0, 0}, {0, 0, 32, 0, 0}, {0, 0, 22, 0, 0}}, {2, 0, 0}},
        {3, {{0, 0, 22, 0, 0}, {0, 0, 22, 0, 0}, {0, 0, 22, 0, 0}, {0, 0, 32, 0, 0}}, {3, 4, 0}},
        {12, {{0, 0, 0, 0, 0}, {0, 0, 127, 0, 0}, {0, 0, 128, 0, 0}, {0, 0, 255, 0, 0}, {0, 0, -1, 0, 0}}, {0, 3, 0}},
        {15, {{0, 0, 33, 0, 0}, {0, 0, 33, 0, 0}, {0, 0, 32, 0, 0}}, {1, 2, 0}},
        // The factory zone x 14.08..290.56, z -71.68..102.4, edges included.
        {10, {{1408, 7168, 0, 0, 0}, {29056, -10240, 0, 0, 0}, {1407, 0, 0, 0, 0}, {5000, -10241, 0, 0, 0}}, {0, 0, 2}},
        {5, {{0, 0, 32, 0, 0}, {0, 0, 255, defend, 0}, {0, 0, 255, defend + 1, 0}}, {20, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mission);
        const World world = loadEdited(0, c.mission, objects(c.objects));
        EXPECT_EQ(world.counters[0], c.counters[0]);
        EXPECT_EQ(world.counters[1], c.counters[1]);
        EXPECT_EQ(world.counters[2], c.counters[2]);
        EXPECT_EQ(world.initialCounter, c.counters[2]);
        for (std::size_t i = 0; i < c.objects.size(); ++i)
            EXPECT_EQ(world.targets[i].critical, c.mission == 5 && c.objects[i][3] == defend) << i;
    }
    const World bridge = loadEdited(0, 2, objects({{0, 0, 32, 0, 0}, {0, 0, 31, 0, 0}}));
    EXPECT_EQ(bridge.targets[0].health, 200.0f);
    EXPECT_NE(bridge.targets[1].health, 200.0f);
}

TEST(MissionStructures, TerrainPolygonsBecomeIndexedFans) {
    const World world = loadEdited(0, 0, [](json& m) {
        m["terrain"] = {{{"vertices", {{0, 500, 0}, {1000, 0, 0}, {1000, 0, -1000}, {0, 0, -2000}, {-1000, 0, -1000}}},
                         {"color", {255, 51, 0}}},
                        {{"vertices", {{0, 0, 0}, {100, 0, 0}}}, {"color", {0, 0, 0}}}};
    });
    ASSERT_EQ(world.terrain.size(), 9u);
    const Vec3 corners[] = {{0, 0, 0}, {10, 0, 0}, {10, 0, 10}, {0, 0, 20}, {-10, 0, 10}};
    const int fan[] = {0, 1, 2, 0, 2, 3, 0, 3, 4};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(world.terrain[static_cast<std::size_t>(i)].position, corners[fan[i]]) << i;
        expectNear(world.terrain[static_cast<std::size_t>(i)].colour, {1.0f, 0.2f, 0.0f}, 1e-6f);
        EXPECT_EQ(world.terrain[static_cast<std::size_t>(i)].textured, 0.0f);
    }
    EXPECT_EQ(world.ground.size(), 3u);
    EXPECT_TRUE(world.cells.count({0, 0}));
    EXPECT_EQ(world.surfaceHeight(2.0f, 5.0f), 0.0f);
}

struct UnitCase {
    const char* name;
    int campaign;
    int type;
    ParameterBytes parameters;
    float health;
    float speed;
    const char* model;  // "" for no model
};

// The demo's first mission of a campaign at normal difficulty: its health
// pair and its walker profile.
float firstMission(int campaign, const char* key, int element) {
    const json& mission = demoDocument(campaign)["missions"][0];
    const json& value = std::string(key) == "mech_profile" ? mission[key] : mission["difficulty"][key];
    return value[static_cast<std::size_t>(element)].get<float>();
}

TEST(MissionStructures, UnitsTakeHealthModelSpeedAndRouteFromTheirType) {
    const float tank = firstMission(0, "health", 0);
    const float helicopter = firstMission(1, "health", 1);
    const float walker = firstMission(0, "mech_profile", 0) / 10.0f;
    const UnitCase cases[] = {
        {"tank", 0, 0, ParameterBytes(16), tank, 6, "0"},
        {"heavy tank", 0, 0, ParameterBytes(16).behaviour(1u << 6), tank * 32, 6, "heavy-tank"},
        {"helicopter", 1, 1, ParameterBytes(16).word(4, 1), helicopter, 16, "1"},
        {"helicopter bomber", 1, 1, ParameterBytes(16).word(4, 2), helicopter, 16, "helicopter-bomber"},
        {"unarmed gun", 0, 2, ParameterBytes(4), 80, 4, "gun-0"},
        {"armed short gun", 1, 2, ParameterBytes(9).behaviour(1), 15, 4, "gun-1"},
        {"armed gun word 7", 0, 5, ParameterBytes(10).behaviour(1).word(2, 7), 80, 4, "gun-3"},
        {"transport", 0, 6, ParameterBytes(12), 80, 12, "transport-0"},
        {"loaded transport", 1, 6, ParameterBytes(12).word(1, 1), 5, 12, "transport-1"},
        {"walker", 0, 3, ParameterBytes(8), walker, 4, "3"},
        {"ship", 0, 9, ParameterBytes(14).word(3, 9).word(4, 350), 500, 3.5f, "9"},
        {"short ship", 0, 9, ParameterBytes(13), 500, 0, "9"},
        {"type 10", 0, 10, ParameterBytes(4), 150, 4, "10"},
        {"carrier", 1, 12, ParameterBytes(28), 160, 32, "12"},
        {"fighter", 1, 18, ParameterBytes(8), 25, 65, "18"},
        {"supply crate", 1, 21, ParameterBytes(4), 1, 4, ""},
    };
    for (const UnitCase& c : cases) {
        SCOPED_TRACE(c.name);
        MissionSketch sketch;
        sketch.unit(c.type, {10, -30}, 0, c.parameters);
        const World world = loadEdited(c.campaign, 0, withSpawns(sketch));
        ASSERT_FALSE(world.targets.empty());
        const Target& unit = world.targets.back();
        EXPECT_EQ(unit.unitType, c.type);
        EXPECT_FALSE(unit.active);
        EXPECT_FLOAT_EQ(unit.health, c.health);
        EXPECT_FLOAT_EQ(unit.initialHealth, c.health);
        EXPECT_FLOAT_EQ(unit.speed, c.speed);
        EXPECT_EQ(unit.mesh->empty(), std::string(c.model).empty());
        // The named model, built as the loader builds it.
        if (!std::string(c.model).empty()) {
            const json& document = demoDocument(c.campaign);
            const json& mission = document["missions"][0];
            const std::string name = document["variants"].contains(c.model)
                                         ? document["variants"][c.model].get<std::string>()
                                         : document["dynamic_models"][c.model].get<std::string>();
            ModelMeshContext context{{}, world, false, sharedGameplayFolder(content().root()),
                                     campaignFolder(content().root(), c.campaign), mission,
                                     decodeLight(mission["light"]), document};
            const SharedMesh expected = buildModelMesh(context, name, unit.homeYaw, -1);
            ASSERT_EQ(unit.mesh->size(), expected->size()) << name;
            for (std::size_t v = 0; v < expected->size(); ++v)
                ASSERT_EQ((*unit.mesh)[v].position, (*expected)[v].position) << name << " vertex " << v;
        } else {
            EXPECT_EQ(unit.position, unit.home);
            EXPECT_EQ(unit.extent, (Vec3{0.1f, 0.1f, 0.1f}));
        }
    }
}

TEST(MissionStructures, RoutesDestinationsProfilesAndAiPresets) {
    MissionSketch sketch;
    const std::vector<std::array<double, 2>> route = {{5, -5}, {-20, 40}};
    sketch.unit(0, {0, -50}, 0, ParameterBytes(16).behaviour(1).word(2, 3).route(14, route));
    sketch.unit(0, {0, -60}, 0, ParameterBytes(16).route(14, route));  // bit 0 clear: no route
    sketch.unit(3, {0, -70}, 0, ParameterBytes(8).word(0, 1).word(2, 1).word(3, 1));
    sketch.unit(7, {0, -80}, 0, ParameterBytes(12).word(3, 4));
    sketch.unit(8, {0, -90}, 0, ParameterBytes(20).behaviour(6u << 16));
    const World sb1 = loadEdited(0, 13, withSpawns(sketch));
    std::vector<const Target*> units;
    for (const Target& t : sb1.targets)
        if (t.unitType >= 0) units.push_back(&t);
    ASSERT_EQ(units.size(), 5u);
    ASSERT_EQ(units[0]->route.size(), 2u);
    expectNear(units[0]->route[1], {-20.0f, units[0]->anchor.y, 40.0f}, 1e-5f);
    EXPECT_EQ(units[0]->burstLeft, 3);
    EXPECT_TRUE(units[1]->route.empty());
    // The mission's mech profile gives the health in tenths and replaces
    // words 0, 2 and 3 (1, 1 and 1 in the record).
    const json& profile = demoDocument(0)["missions"][13]["mech_profile"];
    EXPECT_FLOAT_EQ(units[2]->health, profile[0].get<float>() / 10.0f);
    EXPECT_EQ(units[2]->parameters[0], profile[1].get<int>());
    EXPECT_EQ(units[2]->parameters[2], profile[2].get<int>());
    EXPECT_EQ(units[2]->parameters[3], profile[3].get<int>());
    EXPECT_EQ(units[3]->passes, 4);
    EXPECT_TRUE(units[4]->critical) << "SB1 mission 13 protects its trucks";
    EXPECT_EQ(units[4]->targetSlot, 6);
    EXPECT_EQ(units[4]->attackSlot, 6);
    EXPECT_EQ(units[0]->targetSlot, -1);

    MissionSketch objective;
    objective.unit(20, {0, -50}, 0, ParameterBytes(4));
    const World sb2 = loadEdited(1, 0, [&](json& m) {
        m["spawns"] = objective.json()["spawns"];
        m["spawns"][0]["destination"] = {1000, 200, 3000};
    });
    const Target& gunner = sb2.targets.back();
    ASSERT_EQ(gunner.route.size(), 1u);
    expectNear(gunner.route[0], {10.0f, 2.0f, -30.0f}, 1e-5f);
    EXPECT_TRUE(gunner.hasDestination);
    EXPECT_FLOAT_EQ(gunner.health, 1000.0f);
}

TEST(MissionStructures, TrailersHitchAtTheirSpacing) {
    for (const int campaign : {0, 1}) {
        SCOPED_TRACE(campaign);
        MissionSketch sketch;
        const float yaw = 0.6f;
        sketch.unit(8, {0, -40}, contentgen::fileYaw(yaw), ParameterBytes(20).word(0, 420).word(2, 1).word(3, 2));
        const World world = loadEdited(campaign, 1, withSpawns(sketch));
        std::vector<std::size_t> chain;
        for (std::size_t i = 0; i < world.targets.size(); ++i)
            if (world.targets[i].unitType == 8 || world.targets[i].host >= 0) chain.push_back(i);
        ASSERT_EQ(chain.size(), 3u);
        const Target& tractor = world.targets[chain[0]];
        const float exact = tractor.homeYaw;
        const Vec3 along{std::sin(exact), 0.0f, std::cos(exact)};
        const float gaps[] = {6.5f, 6.42f};
        const int words[] = {650, 642};
        for (int k = 1; k <= 2; ++k) {
            const Target& trailer = world.targets[chain[static_cast<std::size_t>(k)]];
            const Target& hitch = world.targets[chain[static_cast<std::size_t>(k - 1)]];
            EXPECT_EQ(trailer.unitType, campaign == 0 ? 11 : kSB2Trailer);
            EXPECT_EQ(trailer.host, static_cast<int>(chain[static_cast<std::size_t>(k - 1)]));
            EXPECT_TRUE(trailer.derived);
            EXPECT_FALSE(trailer.active);
            EXPECT_EQ(trailer.health, 50.0f);
            EXPECT_EQ(trailer.parameters[0], words[k - 1]);
            EXPECT_EQ(trailer.homeYaw, exact);
            const Vec3 offset = trailer.home - hitch.home;
            expectNear({offset.x, 0.0f, offset.z}, along * gaps[k - 1], 1e-4f);
            EXPECT_FALSE(trailer.mesh->empty());
        }
    }
}

TEST(MissionStructures, GeneratorsReserveTheirMembers) {
    MissionSketch sketch;
    const int gun = sketch.unit(2, {0, -40}, 0, ParameterBytes(4));
    const auto releases = [gun](std::size_t length, int members) {
        return ParameterBytes(length).behaviour(0x00030001u).word(0, 5).word(1, 3 * 256 + 128).word(2,
            static_cast<u32>(members)).word(3, static_cast<u32>(gun)).word(4, 512).word(5, 2);
    };
    sketch.generator({5, -45}, releases(36, 0));    // 8 members
    sketch.generator({5, -45}, releases(36, 3));    // 3 members
    sketch.generator({5, -45}, releases(36, 40));   // capped at 16
    sketch.generator({5, -45}, releases(10, 3).word(2, 0).word(3, static_cast<u32>(gun)));  // 8
    sketch.generator({5, -45}, ParameterBytes(12).word(3, 1));   // parent is a generator record: none
    sketch.generator({5, -45}, ParameterBytes(12).word(3, 99));  // parent past the spawns: none
    const World world = loadEdited(1, 1, withSpawns(sketch));
    ASSERT_EQ(world.generators.size(), 4u);
    const std::size_t counts[] = {8, 3, 16, 8};
    for (std::size_t g = 0; g < 4; ++g) {
        SCOPED_TRACE(g);
        const Generator& generator = world.generators[g];
        EXPECT_EQ(generator.members.size(), counts[g]);
        EXPECT_EQ(generator.spawnIndex, static_cast<int>(g) + 1);
        EXPECT_EQ(generator.unitTemplate.generator, static_cast<int>(g));
        EXPECT_TRUE(generator.unitTemplate.derived);
        EXPECT_TRUE(generator.unitTemplate.active);
        EXPECT_EQ(generator.unitTemplate.unitType, 2);
        for (const u64 m : generator.members) {
            EXPECT_FALSE(world.targets[m].active);
            EXPECT_EQ(world.targets[m].generator, static_cast<int>(g));
        }
    }
    const Generator& first = world.generators[0];
    expectNear(first.anchor, {5.0f, 0.0f, -45.0f}, 1e-5f);
    EXPECT_EQ(first.flags, 0x00030001u);
    EXPECT_EQ(first.remaining, 5);
    EXPECT_EQ(first.burstSize, 2);
    EXPECT_EQ(first.burstCounter, 2);
    EXPECT_FLOAT_EQ(first.interval, 3.5f);
    EXPECT_FLOAT_EQ(first.burstPause, 2.0f);
    EXPECT_FLOAT_EQ(first.activationRange, 150.0f);
}

TEST(MissionStructures, CarriersGetCargoSlotsInSB2Only) {
    MissionSketch sketch;
    const int tank = sketch.unit(0, {0, -40}, 0, ParameterBytes(16));
    const int gun = sketch.unit(2, {5, -40}, 0, ParameterBytes(4));
    sketch.unit(12, {0, -60}, 0,
                ParameterBytes(28).word(0, static_cast<u32>(tank)).word(1, static_cast<u32>(gun)).word(2, 1)
                    .word(3, 4).word(4, 5).word(5, 3).word(6, 1).word(7, 3).word(8, 2).word(10, 7));
    sketch.unit(12, {0, -70}, 0, ParameterBytes(28).word(6, 5).word(7, 4));  // no cargo
    const World world = loadEdited(1, 1, withSpawns(sketch));
    ASSERT_EQ(world.cargoFlights.size(), 2u);
    const CargoFlight& flight = world.cargoFlights[0];
    EXPECT_EQ(flight.carrier, firstUnit(world) + 2);
    EXPECT_EQ(flight.group, 2);
    EXPECT_EQ(flight.passes, 3u);
    EXPECT_EQ(flight.dropWaypoint, 1u);
    EXPECT_EQ(flight.dropsPerPass, 4u);
    EXPECT_FLOAT_EQ(flight.dropInterval, 0.04f);
    ASSERT_EQ(flight.cargo.size(), 2u);
    EXPECT_EQ(flight.cargo[0].unitType, 0);
    EXPECT_EQ(flight.cargo[1].unitType, 2);
    ASSERT_EQ(flight.slots.size(), 16u);
    for (std::size_t i = 0; i < 16; ++i) {
        const Target& slot = world.targets[flight.slots[i]];
        EXPECT_EQ(slot.unitType, i % 2 == 0 ? 0 : 2) << i;
        EXPECT_FALSE(slot.active);
        EXPECT_TRUE(slot.derived);
        EXPECT_EQ(slot.group, 2);
        EXPECT_EQ(slot.parent, -1);
    }
    EXPECT_TRUE(world.cargoFlights[1].cargo.empty());
    EXPECT_TRUE(world.cargoFlights[1].slots.empty());

    const World sb1 = loadEdited(0, 1, withSpawns(sketch));
    EXPECT_TRUE(sb1.cargoFlights.empty());
}

TEST(MissionStructures, ShipsCarryTheirAttachedUnitAndGenerator) {
    for (const int campaign : {0, 1}) {
        SCOPED_TRACE(campaign);
        MissionSketch sketch;
        const int gun = sketch.unit(2, {30, -52}, 0, ParameterBytes(4));
        const int generator = sketch.generator({30, -50}, ParameterBytes(12).word(3, static_cast<u32>(gun)));
        const float yaw = 1.1f;
        const auto ship = [&](u32 attached) {
            return ParameterBytes(36).behaviour(2).word(2, attached).word(4, 300);
        };
        sketch.unit(9, {20, -40}, contentgen::fileYaw(yaw), ship(static_cast<u32>(gun)));
        sketch.unit(9, {-20, -40}, 0, ship(static_cast<u32>(generator)));
        const World world = loadEdited(campaign, 2, withSpawns(sketch));
        const std::size_t base = firstUnit(world);
        const Target& carried = world.targets[base];
        const Target& first = world.targets[base + 1];
        ASSERT_EQ(first.unitType, 9);
        EXPECT_EQ(carried.parent, static_cast<int>(base + 1));
        const Vec3 d = carried.home - first.home;
        const float c = std::cos(first.homeYaw), s = std::sin(first.homeYaw);
        expectNear(carried.mountOffset, {d.x * c - d.z * s, d.y, d.z * c + d.x * s}, 1e-4f);
        ASSERT_EQ(world.generators.size(), 1u);
        EXPECT_EQ(world.generators[0].unitTemplate.parent, static_cast<int>(base + 2));
        expectNear(world.generators[0].unitTemplate.mountOffset,
                   world.generators[0].unitTemplate.home - world.targets[base + 2].home, 1e-4f);
        for (const u64 m : world.generators[0].members) EXPECT_EQ(world.targets[m].parent, -1) << "members stay put";
    }
}

}  // namespace
}  // namespace bastion
