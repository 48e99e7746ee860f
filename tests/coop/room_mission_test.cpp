#include <cmath>

#include <gtest/gtest.h>

#include "coop/internal/input_codec.h"
#include "coop/room.h"
#include "coop/wire_failure.h"
#include "support/demo_content.h"

namespace bastion::coop {
namespace {

using nlohmann::json;
using testing::wireFailure;

constexpr float kTick = 1.0f / 60.0f;

// A room of members 1 (host) and 2 on the demo content, briefing `mission`.
Room briefing(int mission) {
    Room room(testing_support::demoContent());
    room.host = 1;
    room.add(1);
    room.add(2);
    room.command(1, {{"op", "select"}, {"mission", mission}});
    return room;
}

json ready(const Room& room) {
    return {{"op", "ready"}, {"selection", room.selection}, {"loadout", {0, 1, 0, 0, 0, 0}}, {"ready", true}};
}

Room deployed(int mission) {
    Room room = briefing(mission);
    room.command(1, ready(room));
    room.command(2, ready(room));
    return room;
}

json input(const Room& room, Input value) {
    return {{"op", "input"}, {"round", room.round}, {"input", inputWire(value)}};
}

void run(Room& room, float seconds) {
    for (int i = 0; i < static_cast<int>(std::lround(seconds / kTick)); ++i) room.step(kTick);
}

TEST(RoomMission, EveryoneReadyDeploysTheMission) {
    Room room = briefing(2);
    room.command(1, ready(room));
    EXPECT_EQ(room.phase, kBriefing);
    const u64 revision = room.revision;
    room.command(2, ready(room));
    EXPECT_EQ(room.phase, kDeployed);
    EXPECT_EQ(room.round, 1u);
    EXPECT_EQ(room.revision, revision + 2);  // the start and the command
    EXPECT_TRUE(room.world.coop);
    EXPECT_EQ(room.world.missionIndex, 2);
    EXPECT_EQ(room.world.difficulty, 1);
    for (const Player& member : room.players) {
        EXPECT_FALSE(member.ready);
        EXPECT_EQ(member.pilot.status, kStatusActive);
        EXPECT_EQ(member.pilot.slot, static_cast<int>(member.slot));
        EXPECT_EQ(member.pilot.weapons[1], kRifle);
        EXPECT_EQ(member.pilot.weapons[2], kEmptyHand);
        EXPECT_EQ(member.pilot.angles[0], room.world.pilot.angles[0]);
    }
    const Vec3 a = room.players[0].pilot.position, b = room.players[1].pilot.position;
    EXPECT_GE(std::hypot(a.x - b.x, a.z - b.z), 10.0f);
    EXPECT_TRUE(room.world.session.empty());
}

TEST(RoomMission, FailedStartKeepsTheBriefing) {
    Room room = briefing(2);
    room.root = "/nonexistent";
    room.command(1, ready(room));
    const u64 revision = room.revision;
    EXPECT_NE(wireFailure([&] { room.command(2, ready(room)); }), "accepted");
    EXPECT_EQ(room.phase, kBriefing);
    EXPECT_EQ(room.round, 0u);
    EXPECT_EQ(room.revision, revision);
    EXPECT_TRUE(room.player(2).ready);
    EXPECT_EQ(room.world.missionIndex, -1);
}

TEST(RoomMission, InputDrivesAWalkerUntilItGoesStale) {
    Room room = deployed(2);
    const Vec3 still = room.player(2).pilot.position;
    run(room, 1.0f);
    EXPECT_EQ(room.player(2).pilot.position.x, still.x) << "neutral input leaves the walker standing";
    EXPECT_EQ(room.player(2).pilot.position.z, still.z);

    Input forward;
    forward.axes[1] = 1.0f;
    room.command(2, input(room, forward));
    run(room, 0.25f);
    const Vec3 walked = room.player(2).pilot.position;
    EXPECT_GT(std::hypot(walked.x - still.x, walked.z - still.z), 0.1f);

    run(room, 2.0f);  // no fresh input: neutral from 0.3 s on, the walker slows to a halt
    const Vec3 stopped = room.player(2).pilot.position;
    run(room, 1.0f);
    EXPECT_NEAR(room.player(2).pilot.position.x, stopped.x, 1e-3f);
    EXPECT_NEAR(room.player(2).pilot.position.z, stopped.z, 1e-3f);

    Input headless = forward;
    headless.head = false;
    room.command(2, input(room, headless));
    run(room, 0.25f);
    EXPECT_NEAR(room.player(2).pilot.position.x, stopped.x, 1e-3f);
    EXPECT_NEAR(room.player(2).pilot.position.z, stopped.z, 1e-3f);

    const json old = {{"op", "input"}, {"round", 0}, {"input", inputWire(forward)}};
    room.command(2, old);
    EXPECT_GT(room.player(2).inputAge, 0.0f) << "an input for another round is ignored";
}

TEST(RoomMission, AllPilotsLostReturnsToSelectionAfterTheEjection) {
    Room room = deployed(2);
    room.command(1, {{"op", "destroy"}, {"round", room.round}});
    room.command(2, {{"op", "destroy"}, {"round", room.round}});
    EXPECT_TRUE(room.player(1).pilot.dead);
    EXPECT_TRUE(room.player(2).pilot.dead);
    run(room, 6.9f);
    EXPECT_EQ(room.phase, kDeployed);
    run(room, 0.2f);
    EXPECT_EQ(room.phase, kSelecting);
    EXPECT_EQ(room.outcome, "MISSION FAILED - ALL PILOTS LOST");
}

TEST(RoomMission, AWinCompletesTheMissionWhileTheDeadFinishEjecting) {
    Room room = deployed(2);
    room.command(2, {{"op", "destroy"}, {"round", room.round}});
    room.step(kTick);
    room.world.counters[0] = 0;  // the mission's goal is met
    room.step(kTick);
    EXPECT_EQ(room.phase, kWon);
    EXPECT_TRUE(room.progression.completed & (1u << 2));
    EXPECT_EQ(room.progression.selectedMission, room.progression.nextMission());
    EXPECT_EQ(room.player(1).pilot.status, kStatusWon);
    run(room, 8.0f);
    EXPECT_EQ(room.phase, kWon) << "a won room waits for the host";
    EXPECT_GE(room.player(2).pilot.ejection, 7.0f);
}

TEST(RoomMission, ALossWaitsForTheEjectingPilot) {
    Room room = deployed(1);
    room.command(2, {{"op", "destroy"}, {"round", room.round}});
    room.step(kTick);
    room.world.missionTime = 480.0f;  // the mission's time is up
    room.step(kTick);
    EXPECT_EQ(room.phase, kFailed);
    EXPECT_EQ(room.player(1).pilot.status, kStatusLost);
    run(room, 6.5f);
    EXPECT_EQ(room.phase, kFailed);
    run(room, 1.0f);
    EXPECT_EQ(room.phase, kSelecting);
    EXPECT_EQ(room.outcome, "MISSION FAILED");
}

TEST(RoomMission, StepTimeIsClamped) {
    Room room = deployed(2);
    const float before = room.world.missionTime;
    room.step(5.0f);
    EXPECT_LE(room.world.missionTime - before, 0.1f + 1e-6f);
    room.step(std::nanf(""));
    room.step(-1.0f);
    EXPECT_LE(room.world.missionTime - before, 0.1f + 1e-6f);
}

TEST(RoomMission, PingsAndDestroyNeedTheCurrentRoundAndALivePilot) {
    Room room = deployed(2);
    const u64 revision = room.revision;
    room.command(2, {{"op", "destroy"}, {"round", room.round - 1}});
    EXPECT_FALSE(room.player(2).pilot.dead);
    room.command(2, {{"op", "ping"}, {"round", room.round}, {"kind", 0}, {"input", inputWire(Input{})}});
    EXPECT_EQ(room.revision, revision + 1);
    room.command(2, {{"op", "destroy"}, {"round", room.round}});
    const u64 dead = room.revision;
    room.command(2, {{"op", "ping"}, {"round", room.round}, {"kind", 1}, {"input", inputWire(Input{})}});
    room.command(2, {{"op", "destroy"}, {"round", room.round}});
    EXPECT_EQ(room.revision, dead);
}

}  // namespace
}  // namespace bastion::coop
