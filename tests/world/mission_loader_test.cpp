#include <algorithm>
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <functional>
#include <string>

#include "support/demo_content.h"
#include "support/editable_content.h"
#include "support/temp_folder.h"
#include "world/decoded_json.h"
#include "world/world.h"

namespace bastion {
namespace {

using nlohmann::json;
using testing_support::demoContent;
using testing_support::EditableContent;

const std::array<const char*, 16> kSB1Goals = {
    "WAREHOUSES + SUPPLIES", "CARGO SHIPS / 8 MIN",    "BRIDGE SUPPORTS",         "SUPPLY DUMP + SUPPLIES",
    "ENEMY MECH",            "DEFEND HEADQUARTERS",    "TRUCKS + CAPTURE WEAPON", "CARGO SHIPS / 12:30",
    "FORTRESS + SUPPLIES",   "AIRFIELD + HELICOPTERS", "FACTORY COMPLEX",         "DEFEND LABORATORY",
    "INDUSTRIAL COMPLEX",    "PROTECT CONVOY",         "WARSHIPS",                "COMMAND CENTER"};
const std::array<const char*, 20> kSB2Goals = {
    "DESTROY DESERT FACTORIES",     "DESTROY ISLAND BUILDINGS",
    "COLLECT SUPPLIES",             "PROTECT SKYSCRAPERS / 3 SATYRS",
    "ESCORT TRUCKS",                "STOP 9 CAR BOMBS / MAX 3 ESCAPES",
    "PROTECT CITY / DESTROY SHIPS", "AIRBASE + 5 FIGHTERS",
    "ESCORT AT LEAST 2 TRUCKS",     "STOP ALL 10 TRUCKS",
    "STOP AIR DROP / CLEAR GROUND FORCES", "DESTROY 4 POWER PLANTS",
    "COLLECT WAREHOUSE SUPPLIES",   "PROTECT UR / DESTROY 2 MECHS",
    "DESTROY MILITARY BASE",        "DESTROY 6 SHIPS / 12 MIN",
    "FORTRESS DEFENSES + SUPPLIES", "DESTROY ISLAND FACTORIES",
    "ESCORT AT LEAST 3 TRUCKS",     "DESTROY COLD BASTION GUNNER"};

// Every index the World holds into its own target list.
void expectConsistent(const World& world) {
    const auto inside = [&](long long index) { return index >= 0 && index < static_cast<long long>(world.targets.size()); };
    for (int s = 0; s < 32; ++s) EXPECT_TRUE(world.slots[s] == -1 || inside(world.slots[s])) << "slot " << s;
    for (const Target& t : world.targets) {
        EXPECT_TRUE(t.host == -1 || inside(t.host));
        EXPECT_TRUE(t.parent == -1 || inside(t.parent));
        EXPECT_TRUE(t.generator == -1 || t.generator < static_cast<int>(world.generators.size()));
        EXPECT_TRUE(isFinite(t.position) && isFinite(t.home));
    }
    for (const Generator& g : world.generators)
        for (const u64 m : g.members) EXPECT_TRUE(inside(static_cast<long long>(m)));
    for (const CargoFlight& f : world.cargoFlights) {
        EXPECT_TRUE(inside(static_cast<long long>(f.carrier)));
        for (const u64 s : f.slots) EXPECT_TRUE(inside(static_cast<long long>(s)));
    }
}

// What the rest of the world does with a loaded (or half-loaded) mission.
void exercise(World& world) {
    world.movePilot(world.pilot.position + Vec3{1.0f, 0.0f, -1.0f});
    world.lockHoming();
    world.traceAim(eyePosition(world.pilot), {0.0f, -0.2f, -1.0f}, 500.0f);
    for (std::size_t i = 0; i < world.targets.size(); i += 3) world.explode(world.targets[i].position, 6.0f, 500.0f, false);
    for (int k = 0; k < 10; ++k) world.stepProjectiles(0.05f);
    world.strike(world.pilot.position, {0.0f, 0.0f, -1.0f}, 0, 10.0f, true);
    Input input;
    input.axes[1] = 1.0f;
    for (bool& fire : input.fire) fire = true;
    for (int k = 0; k < 40; ++k) {
        input.fire[k % 6] = k % 2 == 0;
        world.step(input, 0.05f, true);
    }
}

TEST(MissionLoader, EveryDemoMissionLoadsWithItsObjectiveAndCounters) {
    // Counter 0 after SB1 loading: the preset, or -1 where the objects count.
    const std::array<int, 16> sb1Preset = {-1, 0, 2, -1, 1, 20, 3, 4, 1, 5, -1, 1, -1, 3, 5, 1};
    const std::array<int, 20> sb2Start = {0, 5, 0, 0, 3, 0, 0, 4, 3, 10, 0, 4, 0, 0, 0, 0, 19, 0, 3, 0};
    for (int campaign = 0; campaign < 2; ++campaign) {
        const int count = campaign == 0 ? 16 : 20;
        for (int mission = 0; mission < count; ++mission) {
            SCOPED_TRACE(testing::Message() << "campaign " << campaign << " mission " << mission);
            World world;
            world.loadMission(demoContent(), mission, campaign, true);
            EXPECT_EQ(world.campaign, campaign);
            EXPECT_EQ(world.missionIndex, mission);
            EXPECT_EQ(world.pilot.status, kStatusActive);
            EXPECT_EQ(world.objectiveText, campaign == 0 ? kSB1Goals[mission] : kSB2Goals[mission]);
            EXPECT_EQ(world.initialCounter, world.counters[2]);
            EXPECT_FALSE(world.ground.empty());
            EXPECT_FALSE(world.cells.empty());
            if (campaign == 0 && sb1Preset[mission] >= 0) {
                EXPECT_EQ(world.counters[0], sb1Preset[mission]);
            }
            if (campaign == 0 && mission == 3) {
                EXPECT_EQ(world.counters[1], 4);
            }
            // SB2 missions without object-counting rules keep the start table.
            const bool counts = mission == 2 || mission == 12 || mission == 13 || mission == 14 || mission == 17;
            if (campaign == 1 && !counts) {
                EXPECT_EQ(world.counters[0], sb2Start[mission]);
            }
            for (const Target& t : world.targets) ASSERT_TRUE(t.mesh);
            expectConsistent(world);
        }
    }
}

TEST(MissionLoader, ObjectCountingMissionsCountTheirTaggedObjects) {
    const json sb1 = readJson(demoContent() / "sb2/shared/gameplay/missions.json");
    const json sb2 = readJson(demoContent() / "sb2/gameplay/missions.json");
    const auto tagged = [](const json& document, int mission, const std::function<bool(int)>& rule) {
        int n = 0;
        for (const json& o : document["missions"][mission]["objects"]) n += rule(o["tag"].get<int>()) ? 1 : 0;
        return n;
    };
    const struct {
        int campaign, mission, counter;
        std::function<bool(int)> rule;
        int base;
    } cases[] = {
        {0, 0, 0, [](int t) { return t == 32; }, 0},  {0, 3, 0, [](int t) { return t == 22; }, 0},
        {0, 12, 1, [](int t) { return t <= 127; }, 0}, {0, 15, 1, [](int t) { return t == 33; }, 0},
        {1, 13, 0, [](int t) { return t == 32; }, 0}, {1, 14, 0, [](int t) { return t <= 127; }, 0},
        {1, 17, 0, [](int t) { return t <= 127; }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "campaign " << c.campaign << " mission " << c.mission);
        World world;
        world.loadMission(demoContent(), c.mission, c.campaign, true);
        const int expected = c.base + tagged(c.campaign == 0 ? sb1 : sb2, c.mission, c.rule);
        EXPECT_GT(expected, 0) << "the demo mission should hold such objects";
        EXPECT_EQ(world.counters[c.counter], expected);
    }
}

TEST(MissionLoader, RejectsBadCallsAndFilesWithTheirMessages) {
    const testing_support::TempFolder empty("empty-retail");
    const auto message = [](const std::function<void()>& load) -> std::string {
        try {
            load();
        } catch (const std::runtime_error& error) {
            return error.what();
        }
        return "loaded";
    };
    World world;
    EXPECT_EQ(message([&] { world.loadMission(demoContent(), 99, 2, true); }), "Invalid campaign");
    EXPECT_EQ(message([&] { world.loadMission(demoContent(), 0, -1, true); }), "Invalid campaign");
    EXPECT_EQ(message([&] { world.loadMission(demoContent(), 16, 0, true); }), "Invalid mission index");
    EXPECT_EQ(message([&] { world.loadMission(demoContent(), -1, 1, true); }), "Invalid mission index");
    EXPECT_EQ(message([&] { world.loadMission(demoContent(), 20, 1, true); }), "Invalid mission index");
    EXPECT_EQ(message([&] { world.loadMission(demoContent(), 16, 1, true); }), "loaded");
    EXPECT_EQ(message([&] { world.loadMission(empty.path(), 0, 0, true); }),
              "Missing decoded gameplay file: " + (empty.path() / "gameplay/missions.json").string());
    EXPECT_EQ(message([&] { world.loadMission(empty.path(), 0, 1, false); }),
              "Missing decoded gameplay file: " + (empty.path() / "sb2/gameplay/missions.json").string());
}

// Sets the 16-bit parameter word k of spawn `spawn` of a mission.
void setWord(json& mission, std::size_t spawn, int k, int value) {
    json& bytes = mission["spawns"][spawn]["parameters"];
    const std::size_t at = 4 + 2 * static_cast<std::size_t>(k);
    while (bytes.size() < at + 2) bytes.push_back(0);
    bytes[at] = (value >> 8) & 0xFF;
    bytes[at + 1] = value & 0xFF;
}

std::size_t firstSpawnOfType(const json& mission, int type) {
    for (std::size_t k = 0; k < mission["spawns"].size(); ++k)
        if (mission["spawns"][k]["type"] == type) return k;
    ADD_FAILURE() << "no spawn of type " << type;
    return 0;
}

struct BadFile {
    const char* name;
    int campaign;
    int mission;
    std::function<void(json& document, json& mission)> spoil;
    std::string message;
};

TEST(MissionLoader, BadFilesFailWithTheirMessagesAndLeaveTheWorldUsable) {
    const BadFile cases[] = {
        {"schema as text", 0, 0, [](json& d, json&) { d["schema"] = "1"; }, "Invalid mission schema"},
        {"schema 2", 1, 0, [](json& d, json&) { d["schema"] = 2; }, "Invalid mission schema"},
        {"trailer variant 4", 0, 6,
         [](json&, json& m) { setWord(m, firstSpawnOfType(m, 8), 3, 4); }, "Invalid trailer variant"},
        {"air drop of a generator record", 1, 15,
         [](json&, json& m) { setWord(m, firstSpawnOfType(m, 12), 0, static_cast<int>(firstSpawnOfType(m, 4))); },
         "Invalid SB2 air-drop template"},
        {"air drop past the spawns", 1, 6,
         [](json&, json& m) { setWord(m, firstSpawnOfType(m, 12), 1, static_cast<int>(m["spawns"].size())); },
         "Invalid SB2 air-drop template"},
        {"ship attachment past the spawns", 0, 1,
         [](json&, json& m) { setWord(m, firstSpawnOfType(m, 9), 2, static_cast<int>(m["spawns"].size())); },
         "Invalid ship attachment"},
        {"walker route record cut short", 0, 4,
         [](json&, json& m) {
             m["spawns"][firstSpawnOfType(m, 3)]["parameters"] = json::array({0, 0, 0, 1, 0, 0, 0});
         },
         "Invalid AI route record"},
        {"unit type 23", 0, 0, [](json&, json& m) { m["spawns"][0]["type"] = 23; }, "Invalid unit type"},
        {"missing model file", 1, 3,
         [](json& d, json&) { d["dynamic_models"]["7"] = "no-such-model"; }, "Missing decoded gameplay file: "},
    };
    const EditableContent content;
    for (const BadFile& c : cases) {
        SCOPED_TRACE(c.name);
        const json original = content.missions(c.campaign);
        json document = original;
        c.spoil(document, document["missions"][c.mission]);
        content.writeMissions(c.campaign, document);

        World world;
        world.loadMission(demoContent(), 2, 1, true);  // a mission already in place
        try {
            world.loadMission(content.root(), c.mission, c.campaign, false);
            ADD_FAILURE() << "loaded";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()).rfind(c.message, 0), 0u) << error.what();
        }
        expectConsistent(world);
        exercise(world);
        content.writeMissions(c.campaign, original);
    }
}

TEST(MissionLoader, NonFiniteCornersAndPositionsAreRejected) {
    const EditableContent content;
    const json original = content.missions(0);
    const struct {
        const char* name;
        std::function<void(json&)> mark;
    } cases[] = {
        {"object", [](json& m) { m["objects"][0]["position"][0] = 987654321; }},
        {"terrain corner", [](json& m) { m["terrain"][1]["vertices"][2][2] = 987654321; }},
        {"unit", [](json& m) { m["spawns"][0]["position"][1] = 987654321; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        json document = original;
        c.mark(document["missions"][0]);
        // Beyond the float range: infinite once converted.
        std::string text = document.dump();
        text.replace(text.find("987654321"), 9, "1e39");
        std::ofstream(content.missionFile(0), std::ios::trunc) << text;
        World world;
        try {
            world.loadMission(content.root(), 0, 0, false);
            ADD_FAILURE() << "loaded";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "Invalid decoded position");
        }
        expectConsistent(world);
        exercise(world);
    }
}

TEST(MissionLoader, SharedFolderFlagPicksTheSharedSB1Document) {
    const EditableContent content;
    json own = content.missions(0);
    own["missions"][0]["horizon"] = 4321;
    content.writeMissions(0, own);
    const int sharedHorizon = readJson(content.root() / "sb2/shared/gameplay/missions.json")["missions"][0]["horizon"];

    World world;
    world.loadMission(content.root(), 0, 0, true);
    EXPECT_EQ(world.horizon, sharedHorizon);
    world.loadMission(content.root(), 0, 0, false);
    EXPECT_EQ(world.horizon, 4321);
    std::filesystem::remove(content.root() / "sb2/shared/gameplay/missions.json");
    world.loadMission(content.root(), 0, 0, true);
    EXPECT_EQ(world.horizon, 4321);
}

// The crate's pickup kind is parameter bytes 0..1, not the first parameter
// word at bytes 4..5.
TEST(MissionLoader, SB2SupplyCrateDropsThePickupKindOfItsFirstSixteenBits) {
    const EditableContent content;
    json document = content.missions(1);
    json& spawns = document["missions"][11]["spawns"];
    json* crate = nullptr;
    for (json& spawn : spawns) {
        if (spawn["type"] == 21) crate = &spawn;
    }
    ASSERT_NE(crate, nullptr) << "SB2 mission 11 holds a supply crate";
    json& bytes = (*crate)["parameters"];
    bytes[0] = 0x00;
    bytes[1] = 22;
    bytes[4] = 0x00;
    bytes[5] = 7;
    content.writeMissions(1, document);

    World world;
    world.loadMission(content.root(), 11, 1, true);
    const auto unit = std::find_if(world.targets.begin(), world.targets.end(),
                                   [](const Target& t) { return t.unitType == 21; });
    ASSERT_NE(unit, world.targets.end());
    world.pilot.position = unit->home;
    world.stepEnemies(0.05f);
    ASSERT_EQ(world.pickups.size(), 1u);
    EXPECT_EQ(world.pickups[0].kind, 22);
}

TEST(MissionLoader, LoadingAgainCountsNothingTwiceAndResetsThePilot) {
    World world;
    world.loadMission(demoContent(), 0, 0, true);
    const int counted = world.counters[0];
    const std::size_t targets = world.targets.size();
    world.missionFlags = 0xFF;
    world.pilot.health = 12.0f;
    world.pilot.dead = true;
    world.kills = 7;
    world.procedural = true;
    world.water.push_back({});
    world.loadMission(demoContent(), 0, 0, true);
    EXPECT_EQ(world.counters[0], counted);
    EXPECT_EQ(world.targets.size(), targets);
    EXPECT_EQ(world.missionFlags, 0u);
    EXPECT_EQ(world.pilot.health, 100.0f);
    EXPECT_FALSE(world.pilot.dead);
    EXPECT_EQ(world.kills, 0);
    EXPECT_FALSE(world.procedural);
    EXPECT_TRUE(world.water.empty());
    EXPECT_EQ(world.random, kDefaultSeed);
}

TEST(MissionLoader, DifficultyScalesHealthAndShots) {
    // Demo missions: multipliers [0, 10, 15, 0]; the pairs as the file has
    // them at normal (multiplier 10 tenths), half as much again on hard.
    const nlohmann::json document = readJson(demoContent() / "sb2/gameplay/missions.json");
    const nlohmann::json& file = document["missions"][1]["difficulty"];
    for (const int level : {0, 1}) {
        World world;
        world.difficulty = level;
        world.loadMission(demoContent(), 1, 1, true);
        const float ratio = level == 1 ? 1.5f : 1.0f;
        EXPECT_FLOAT_EQ(world.ratio, ratio);
        EXPECT_FLOAT_EQ(world.projectilePair[0], file["projectile"][0].get<float>() * ratio);
        EXPECT_FLOAT_EQ(world.projectilePair[1], file["projectile"][1].get<float>() * ratio);
        EXPECT_FLOAT_EQ(world.healthPair[1], file["health"][1].get<float>() * ratio);
    }
}

}  // namespace
}  // namespace bastion
