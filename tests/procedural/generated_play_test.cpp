#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "procedural/skirmish_generator.h"
#include "procedural/skirmish_settings.h"
#include "support/demo_content.h"
#include "support/scripted_player.h"

namespace bastion {
namespace {

using testing_support::demoContent;
using testing_support::PlayResult;

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

World skirmish(const SkirmishSettings& settings, bool veteran) {
    World world = armed(veteran);
    world.loadProceduralRecipe(demoContent(), generateSkirmishRecipe(settings));
    return world;
}

void report(const char* what, u32 seed, const PlayResult& result) {
    std::printf("[ game time ] %s seed %u: status %d after %.1f s, health %.0f\n", what, seed, result.status,
                static_cast<double>(result.time), static_cast<double>(result.health));
}

class PrototypePlay : public ::testing::TestWithParam<u32> {};
class SkirmishPlay : public ::testing::TestWithParam<u32> {};

// A pilot who stands still in a seeded prototype lives through the first
// minute, as in the first campaign missions.
TEST_P(PrototypePlay, StillPilotSurvivesTheFirstMinute) {
    World world = prototype(GetParam(), false);
    const PlayResult result = testing_support::playStill(world, 60.0f);
    report("still prototype", GetParam(), result);
    EXPECT_EQ(result.status, kStatusActive) << "ended at " << result.time << " s";
}

TEST_P(PrototypePlay, ScriptedPlayerWins) {
    World world = prototype(GetParam(), true);
    const PlayResult result = testing_support::playScripted(world, 600.0f);
    report("prototype", GetParam(), result);
    RecordProperty("game_seconds", std::to_string(result.time));
    EXPECT_EQ(result.status, kStatusWon) << "after " << result.time << " s of game time";
}

TEST_P(SkirmishPlay, StillPilotSurvivesTheFirstMinuteOfASmallSkirmish) {
    World world = skirmish(smallSkirmish(GetParam()), false);
    const PlayResult result = testing_support::playStill(world, 60.0f);
    report("still small skirmish", GetParam(), result);
    EXPECT_EQ(result.status, kStatusActive) << "ended at " << result.time << " s";
}

TEST_P(SkirmishPlay, ScriptedPlayerWinsASmallSkirmish) {
    World world = skirmish(smallSkirmish(GetParam()), true);
    const PlayResult result = testing_support::playScripted(world, 900.0f);
    report("small skirmish", GetParam(), result);
    RecordProperty("game_seconds", std::to_string(result.time));
    EXPECT_EQ(result.status, kStatusWon) << "after " << result.time << " s of game time";
}

TEST_P(SkirmishPlay, ScriptedPlayerWinsTheDefaultSkirmish) {
    SkirmishSettings settings;
    settings.seed = GetParam();
    World world = skirmish(settings, true);
    const PlayResult result = testing_support::playScripted(world, 900.0f);
    report("default skirmish", GetParam(), result);
    RecordProperty("game_seconds", std::to_string(result.time));
    EXPECT_EQ(result.status, kStatusWon) << "after " << result.time << " s of game time";
}

INSTANTIATE_TEST_SUITE_P(Seeds, PrototypePlay, ::testing::Values(0u, 1u, 7u, 42u));
INSTANTIATE_TEST_SUITE_P(Seeds, SkirmishPlay, ::testing::Values(1u, 2u, 4u, 5u));

}  // namespace
}  // namespace bastion
