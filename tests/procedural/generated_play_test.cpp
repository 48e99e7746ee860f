#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "procedural/skirmish_generator.h"
#include "procedural/skirmish_settings.h"
#include "support/demo_content.h"
#include "support/scripted_player.h"

// Generated missions played from a fixed range of seeds, the same for every
// kind, each seed's outcome printed in a table at the end. What a seed is
// expected to give follows from rules stated below, read off the generated
// map, never from a list of seeds.
namespace bastion {
namespace {

using testing_support::demoContent;
using testing_support::PlayResult;

constexpr u32 kFirstSeed = 1;
constexpr u32 kLastSeed = 20;

// A new player's loadout is the right-hand rifle of a new campaign; the
// scripted player comes with what a finished SB2 campaign hands out.
World armed(bool veteran) {
    World world;
    world.configure(veteran ? testing_support::loadoutBefore(1, 19) : testing_support::loadoutBefore(0, 0), ArmRig{});
    return world;
}

World prototype(u32 seed, bool veteran) {
    World world = armed(veteran);
    world.loadMissionPrototype(demoContent(), seed);
    return world;
}

// A small skirmish: the smallest map, a few ground units per zone and one
// aircraft.
SkirmishSettings smallSkirmish(u32 seed) {
    SkirmishSettings settings;
    settings.seed = seed;
    settings.mapBlocks = 3;
    settings.groundUnitsPerZone = 3;
    settings.airUnits = 1;
    return settings;
}

SkirmishSettings defaultSkirmish(u32 seed) {
    SkirmishSettings settings;
    settings.seed = seed;
    return settings;
}

// The generator's "auto" water cuts a canal through the whole map on every
// third seed; it is crossed only where a road bridges it, and the scripted
// player must find a bridge when its goal lies across. The table notes these
// maps.
bool canal(const nlohmann::json& recipe) { return recipe["terrain"]["water_layout"] == "canal"; }

// A ground unit of an objective zone that may see the spawn when play
// starts, by the enemy step's own test: a clear line, and the larger of the
// x and z distances within the sight of its first parameter word, from where
// it stands or from a point of its patrol, give or take the few metres a
// unit strays from its road as it turns. The generator takes zones three
// road hops or more from the spawn, which on a small map can be the very
// next crossing, 110 to 130 m away, while the encounters keep only 60 m
// clear of the spawn and see 110 m (tanks, Satyrs) or 140 m (guns): such a
// unit may open fire at once, and a gun alone takes 240 health a minute from
// a pilot who stands still.
bool spawnInSight(const World& world) {
    constexpr float kStray = 5.0f;
    for (std::size_t i = 0; i < world.targets.size(); ++i) {
        const Target& unit = world.targets[i];
        if (unit.unitType < 0 || unit.objectiveIndex < 0 || !(unit.health > 0.0f)) continue;
        int victim = -1;
        const Vec3 aim = world.enemyDestination(unit, victim);
        const float sight = static_cast<float>(unit.parameters[0]) / 100.0f;
        std::vector<Vec3> stands = unit.route;
        stands.push_back(unit.position);
        for (const Vec3& from : stands) {
            const float reach = std::max(std::fabs(aim.x - from.x), std::fabs(aim.z - from.z));
            if (reach <= sight + kStray && world.enemyLineOfSight(from, aim, static_cast<int>(i), victim)) return true;
        }
    }
    return false;
}

const char* outcome(int status) {
    switch (status) {
    case kStatusActive: return "going on";
    case kStatusWon: return "won";
    case kStatusKilled: return "killed";
    default: return "lost";
    }
}

// The table printed when the program ends: one row per seed played.
struct Row {
    std::string kind;
    u32 seed;
    PlayResult result;
    std::string note;
};

std::vector<Row>& rows() {
    static std::vector<Row> played;
    return played;
}

class SeedTable : public ::testing::Environment {
public:
    void TearDown() override {
        if (rows().empty()) return;
        std::sort(rows().begin(), rows().end(),
                  [](const Row& a, const Row& b) { return std::tie(a.kind, a.seed) < std::tie(b.kind, b.seed); });
        std::printf("| play | seed | outcome | game time | health | note |\n|---|---|---|---|---|---|\n");
        for (const Row& row : rows()) {
            std::printf("| %s | %u | %s | %.1f s | %.0f | %s |\n", row.kind.c_str(), row.seed, outcome(row.result.status),
                        static_cast<double>(row.result.time), static_cast<double>(row.result.health), row.note.c_str());
        }
    }
};

[[maybe_unused]] ::testing::Environment* const table = ::testing::AddGlobalTestEnvironment(new SeedTable);

void record(const char* kind, u32 seed, const PlayResult& result, std::string note = {}) {
    rows().push_back({kind, seed, result, std::move(note)});
}

class GeneratedPlay : public ::testing::TestWithParam<u32> {};

// A pilot who stands still in a seeded prototype lives through the first
// minute, as in the first campaign missions.
TEST_P(GeneratedPlay, StillPilotSurvivesAPrototypesFirstMinute) {
    World world = prototype(GetParam(), false);
    const PlayResult result = testing_support::playStill(world, 60.0f);
    record("prototype, still pilot", GetParam(), result);
    EXPECT_EQ(result.status, kStatusActive) << "ended at " << result.time << " s";
}

TEST_P(GeneratedPlay, ScriptedPlayerWinsAPrototype) {
    World world = prototype(GetParam(), true);
    const PlayResult result = testing_support::playScripted(world, 600.0f);
    record("prototype", GetParam(), result);
    EXPECT_EQ(result.status, kStatusWon) << "after " << result.time << " s of game time";
}

// A still pilot lives through the first minute of a small skirmish where no
// zone's unit has the spawn in sight; where one has, the outcome is printed.
TEST_P(GeneratedPlay, StillPilotSurvivesASmallSkirmishsFirstMinuteOutOfSight) {
    World world = armed(false);
    world.loadProceduralRecipe(demoContent(), generateSkirmishRecipe(smallSkirmish(GetParam())));
    const bool inSight = spawnInSight(world);
    const PlayResult result = testing_support::playStill(world, 60.0f);
    record("small skirmish, still pilot", GetParam(), result, inSight ? "spawn in a zone unit's sight" : "");
    if (inSight) return;
    EXPECT_EQ(result.status, kStatusActive) << "ended at " << result.time << " s";
}

void playSkirmish(const char* kind, const SkirmishSettings& settings) {
    const nlohmann::json recipe = generateSkirmishRecipe(settings);
    World world = armed(true);
    world.loadProceduralRecipe(demoContent(), recipe);
    const PlayResult result = testing_support::playScripted(world, 900.0f);
    record(kind, settings.seed, result, canal(recipe) ? "canal" : "");
    EXPECT_EQ(result.status, kStatusWon) << "after " << result.time << " s of game time";
}

TEST_P(GeneratedPlay, ScriptedPlayerWinsASmallSkirmish) {
    playSkirmish("small skirmish", smallSkirmish(GetParam()));
}

TEST_P(GeneratedPlay, ScriptedPlayerWinsADefaultSkirmish) {
    playSkirmish("default skirmish", defaultSkirmish(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Seeds, GeneratedPlay, ::testing::Range(kFirstSeed, kLastSeed + 1));

}  // namespace
}  // namespace bastion
