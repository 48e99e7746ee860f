#include <cmath>

#include <gtest/gtest.h>

#include "support/demo_content.h"
#include "world/world.h"

namespace bastion {
namespace {

using testing_support::demoContent;

constexpr float kFrame = 1.0f / 30.0f;
constexpr int kMissionCounts[2] = {16, 20};

World loadDemoMission(int campaign, int mission) {
    World world;
    world.loadMission(demoContent(), mission, campaign, false);
    return world;
}

// Runs until the outcome or the time limit; returns the mission time.
template <typename EachFrame>
float play(World& world, float seconds, EachFrame eachFrame) {
    const Input still;
    while (world.pilot.status == kStatusActive && world.missionTime < seconds) {
        eachFrame(world);
        world.step(still, kFrame, true);
        world.sounds.clear();
    }
    return world.missionTime;
}

// Every demo mission of both campaigns leaves a new player time to play: a
// pilot who neither moves nor fires sees no outcome and is alive after ten
// seconds.
TEST(DemoMissionRun, EveryMissionSurvivesAStillPilotForTenSeconds) {
    for (int campaign = 0; campaign < 2; ++campaign) {
        for (int mission = 0; mission < kMissionCounts[campaign]; ++mission) {
            World world = loadDemoMission(campaign, mission);
            const float ended = play(world, 10.0f, [](World&) {});
            EXPECT_TRUE(world.pilot.status == kStatusActive && world.pilot.health > 0.0f)
                << "campaign " << campaign << " mission " << mission << ": status " << world.pilot.status << " at "
                << ended << " s, health " << world.pilot.health;
        }
    }
}

bool toSpare(const Target& t) {
    constexpr u32 kScripted = 0x80000000u;
    const bool raisesFlag = (t.action & kScripted) != 0 && ((t.action >> 16) & 0x7FFFu) == 1;
    return t.critical || (t.unitType < 0 && raisesFlag);
}

// Entries a generator holds in reserve stand nowhere until released.
bool standing(const Target& t) {
    return !t.destroyed && !t.hidden && t.health > 0.0f && t.host < 0 && (t.active || !t.derived);
}

void stand(World& world, Vec3 at, float away) {
    world.pilot.position.x = at.x + away;
    world.pilot.position.z = at.z;
}

// A player who cannot be hurt walks up to every pickup and to every target
// that is not to be protected, destroying each target on arrival, then
// waits by the generators still to release units.
void sweep(World& world) {
    world.pilot.health = 100.0f;
    for (const Pickup& pickup : world.pickups) {
        if (pickup.collected) continue;
        stand(world, pickup.position, 0.0f);
        return;
    }
    for (Target& t : world.targets) {
        if (!standing(t) || toSpare(t)) continue;
        stand(world, t.position, 30.0f);
        if (t.active) t.health = 0.0f;
        return;
    }
    for (const Generator& generator : world.generators) {
        if (generator.remaining <= 0) continue;
        stand(world, generator.anchor, 30.0f);
        return;
    }
}

// Every demo mission can be won by a player who destroys what is to be
// destroyed, collects what lies around and spares what is to be protected.
TEST(DemoMissionRun, EveryMissionIsWonBySweepingTheMap) {
    for (int campaign = 0; campaign < 2; ++campaign) {
        for (int mission = 0; mission < kMissionCounts[campaign]; ++mission) {
            World world = loadDemoMission(campaign, mission);
            const float ended = play(world, 900.0f, sweep);
            EXPECT_EQ(world.pilot.status, kStatusWon) << "campaign " << campaign << " mission " << mission
                                                      << ": ended at " << ended << " s, counters "
                                                      << world.counters[0] << " " << world.counters[1] << " "
                                                      << world.counters[2] << ", flags " << world.missionFlags;
        }
    }
}

}  // namespace
}  // namespace bastion
