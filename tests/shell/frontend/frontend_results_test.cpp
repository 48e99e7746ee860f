#include <numbers>

#include <gtest/gtest.h>

#include "shell/frontend/menu_script.h"
#include "world/world.h"

namespace bastion {
namespace {

using testing_menu::MenuScript;
using F = Frontend;

// A single-player world whose mission `mission` has just been won.
World wonMission(int mission) {
    World world;
    world.missionIndex = mission;
    world.pilot.status = kStatusWon;
    world.pilot.health = 40.0f;
    return world;
}

TEST(FrontendRecordResult, TextsForUnlocksGroupsAndTheEnd) {
    struct Case {
        u32 completed;
        int mission;
        const char* line;
    };
    const Case cases[] = {
        {0x0u, 0, "GRENADE UNLOCKED"},
        {0xDu, 1, "MISSION RECORDED / NEW MISSIONS"},
        {0x7u, 3, "GATLING UNLOCKED / NEW MISSIONS"},
        {0x1u, 2, "CUTTER UNLOCKED"},
        {0x1u, 1, "MISSION RECORDED"},
        {0x7FFFu, 15, "CAMPAIGN COMPLETE"},
        {0xFFFu, 12, "MISSION RECORDED / NEW MISSIONS"},
        {0x7FFu, 11, "CRUISE UNLOCKED / NEW MISSIONS"},
    };
    for (const Case& c : cases) {
        Frontend f;
        f.progression.completed = c.completed;
        f.loadout = {0, 1, 2, 0, 0, 0};
        EXPECT_TRUE(f.recordResult(wonMission(c.mission))) << c.mission;
        EXPECT_EQ(f.resultLine, c.line) << c.mission;
        EXPECT_EQ(f.progression.completed, c.completed | (1u << c.mission));
        EXPECT_EQ(f.progression.selectedMission, f.progression.nextMission());
        EXPECT_EQ(f.progression.loadout, f.loadout);
    }
}

TEST(FrontendRecordResult, RecordsOnlyAWonCampaignMissionOnce) {
    const auto refused = [](void (*change)(Frontend&, World&)) {
        Frontend f;
        f.resultLine = "UNCHANGED";
        World world = wonMission(0);
        change(f, world);
        const bool recorded = f.recordResult(world);
        return !recorded && f.resultLine == "UNCHANGED" && f.progression.completed == 0u;
    };
    EXPECT_TRUE(refused([](Frontend& f, World&) { f.skirmish = true; }));
    EXPECT_TRUE(refused([](Frontend& f, World&) { f.sandbox = true; }));
    EXPECT_TRUE(refused([](Frontend&, World& w) { w.prototype = true; }));
    EXPECT_TRUE(refused([](Frontend&, World& w) { w.pilot.status = kStatusActive; }));
    EXPECT_TRUE(refused([](Frontend&, World& w) { w.pilot.dead = true; }));
    EXPECT_TRUE(refused([](Frontend&, World& w) { w.pilot.health = 0.0f; }));
    EXPECT_TRUE(refused([](Frontend&, World& w) { w.missionIndex = 4; }));  // locked
    EXPECT_TRUE(refused([](Frontend&, World& w) { w.missionIndex = -1; }));
    EXPECT_TRUE(refused([](Frontend&, World& w) { w.missionIndex = 16; }));

    Frontend f;
    EXPECT_TRUE(f.recordResult(wonMission(2)));
    f.resultLine.clear();
    EXPECT_FALSE(f.recordResult(wonMission(2)));
    EXPECT_TRUE(f.resultLine.empty());
}

TEST(FrontendHandleFailure, EndsALostSinglePlayerMission) {
    World lost;
    lost.pilot.status = kStatusLost;
    Input held;
    held.fire[1] = true;

    for (bool skirmish : {false, true}) {
        MenuScript script;
        script.menu.skirmish = skirmish;
        script.open(F::kPlaying);
        script.menu.ready = script.menu.spectating = script.menu.missionSelected = true;
        EXPECT_TRUE(script.menu.handleFailure(lost, held));
        EXPECT_EQ(script.menu.screen, skirmish ? F::kSkirmishSetup : F::kMissionSelection);
        if (skirmish) {
            EXPECT_EQ(script.menu.cursorRow, 9);
        }
        EXPECT_EQ(script.menu.resultLine, "MISSION FAILED");
        EXPECT_FALSE(script.menu.ready || script.menu.spectating || script.menu.missionSelected);
        // The trigger and select still held from play do not act on the menu.
        script.frame(held, true);
        EXPECT_EQ(script.menu.screen, skirmish ? F::kSkirmishSetup : F::kMissionSelection);
        EXPECT_EQ(script.menu.request, F::kNone);
    }

    Frontend coop;
    coop.coopActive = true;
    coop.screen = F::kPlaying;
    EXPECT_FALSE(coop.handleFailure(lost, Input{}));
    Frontend menu;
    menu.screen = F::kMissionMenu;
    EXPECT_FALSE(menu.handleFailure(lost, Input{}));
    Frontend alive;
    alive.screen = F::kPlaying;
    World killed;
    killed.pilot.status = kStatusKilled;  // still ejecting
    EXPECT_FALSE(alive.handleFailure(killed, Input{}));
    EXPECT_EQ(alive.screen, F::kPlaying);
}

TEST(FrontendDebrief, OpensLatchedAndAcceptMovesOn) {
    Input held;
    held.fire[1] = true;
    MenuScript script;
    script.menu.progression.completed = 0x1u;
    script.menu.ready = true;
    script.menu.showDebrief(0, held);
    EXPECT_EQ(script.menu.screen, F::kDebrief);
    EXPECT_EQ(script.menu.debriefMission, 0);
    EXPECT_FALSE(script.menu.ready);
    script.frame(held, true, true);  // still held from play
    EXPECT_EQ(script.menu.screen, F::kDebrief);
    script.release();
    script.select();
    EXPECT_EQ(script.menu.screen, F::kMissionSelection);
    EXPECT_EQ(script.menu.missionCursor, 1);

    struct Case {
        bool skirmish, sandbox, coop, host;
        int cursor;
        F::Screen screen;
        int missionCursor;
    };
    for (const Case c : {Case{true, false, false, false, 3, F::kSkirmishSetup, 3},
                         Case{false, true, false, false, 15, F::kMissionSelection, 0},
                         Case{false, true, false, false, 6, F::kMissionSelection, 7},
                         Case{false, false, true, false, 3, F::kLobbyWaiting, 0},
                         Case{false, false, true, true, 3, F::kMissionSelection, 0}}) {
        Frontend f;
        f.skirmish = c.skirmish;
        f.sandbox = c.sandbox;
        f.coopActive = c.coop;
        f.host = c.host;
        f.missionCursor = c.cursor;
        f.missionSelected = true;
        f.screen = F::kDebrief;
        f.update(Input{}, 0.0f, false, true);
        EXPECT_EQ(f.screen, c.screen);
        EXPECT_EQ(f.missionCursor, c.missionCursor);
        EXPECT_FALSE(f.missionSelected);
        if (c.skirmish) {
            EXPECT_EQ(f.cursorRow, 9);
        }
        // The back button is still held: it must not act on the next screen.
        f.update(Input{}, 0.0f, false, true);
        EXPECT_EQ(f.screen, c.screen);
        EXPECT_EQ(f.request, F::kNone);
    }
}

TEST(FrontendLobby, HostChangesAndLostConnections) {
    struct Case {
        bool coop;
        F::Screen screen;
        bool selected;
        bool host;
        F::Screen next;
    };
    for (const Case c : {Case{true, F::kLobbyWaiting, false, true, F::kMissionSelection},
                         Case{true, F::kLobbyWaiting, true, true, F::kBriefing},
                         Case{true, F::kLobbyWaiting, true, false, F::kLobbyWaiting},
                         Case{false, F::kLobbyWaiting, false, true, F::kLobbyWaiting},
                         Case{true, F::kLobbyReady, false, true, F::kLobbyReady}}) {
        Frontend f;
        f.coopActive = c.coop;
        f.screen = c.screen;
        f.missionSelected = c.selected;
        f.setLobbyHost(c.host);
        EXPECT_EQ(f.host, c.host);
        EXPECT_EQ(f.screen, c.next);
    }
    Frontend f;
    f.screen = F::kPlaying;
    f.missionSelected = f.ready = f.spectating = true;
    f.connectionLost();
    EXPECT_EQ(f.screen, F::kConnectionLost);
    EXPECT_FALSE(f.missionSelected || f.ready || f.spectating);
}

TEST(FrontendCampaign, RestoreAndMissionAvailability) {
    Frontend f;
    f.progression.selectedMission = 3;
    f.progression.loadout = {0, 1, 2, 2, 5, 0};
    f.restoreCampaign();
    EXPECT_EQ(f.missionCursor, 3);
    EXPECT_EQ(f.loadout, f.progression.loadout);
    EXPECT_FLOAT_EQ(f.carouselAngle, -3.0f * std::numbers::pi_v<float> / 2.0f);

    Frontend skirmish;
    skirmish.skirmish = true;
    skirmish.progression.selectedMission = 3;
    skirmish.restoreCampaign();
    EXPECT_EQ(skirmish.missionCursor, 0);

    struct Case {
        bool skirmish, sandbox;
        int mission;
        bool available;
    };
    for (const Case c : {Case{false, false, 3, true}, Case{false, false, 4, false}, Case{false, false, -1, false},
                         Case{false, true, 15, true}, Case{false, true, 16, false}, Case{false, true, -1, false},
                         Case{true, false, 99, true}, Case{true, false, -5, true}}) {
        Frontend menu;
        menu.skirmish = c.skirmish;
        menu.sandbox = c.sandbox;
        EXPECT_EQ(menu.missionAvailable(c.mission), c.available) << c.mission;
    }
}

}  // namespace
}  // namespace bastion
