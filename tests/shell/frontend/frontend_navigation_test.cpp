#include <cmath>
#include <limits>
#include <numbers>
#include <ostream>

#include <gtest/gtest.h>

#include "shell/frontend/menu_script.h"

namespace bastion {
namespace {

using testing_menu::MenuScript;
using F = Frontend;

TEST(FrontendDefaults, EveryFieldStartsAsDocumented) {
    const Frontend f;
    EXPECT_EQ(f.progression.rules.campaign, 0);
    EXPECT_EQ(f.progression.completed, 0u);
    EXPECT_EQ(f.campaignRow, 0);
    EXPECT_EQ(f.menuMode, 1);
    EXPECT_FALSE(f.sandbox);
    EXPECT_FALSE(f.skirmish);
    EXPECT_TRUE(f.resultLine.empty() && f.secondResultLine.empty() && f.statusLine.empty());
    EXPECT_EQ(f.soundVolume, 1.0f);
    EXPECT_EQ(f.musicVolume, 1.0f);
    EXPECT_TRUE(f.audioLine.empty());
    EXPECT_EQ(f.debriefMission, -1);
    EXPECT_FALSE(f.missionSelected || f.coopActive || f.host || f.ready || f.spectating);
    EXPECT_TRUE(f.radio);
    EXPECT_FALSE(f.spectateStickLatch);
    EXPECT_TRUE(f.roomCode.empty());
    EXPECT_EQ(f.joinCode, "AAAAAA");
    EXPECT_TRUE(f.notice.empty() && f.voiceLine.empty());
    EXPECT_EQ(f.cursorRow, 0);
    EXPECT_EQ(f.joinCursor, 0);
    EXPECT_EQ(f.spectateIndex, 0);
    EXPECT_EQ(f.resultCode, 0);
    EXPECT_EQ(f.ownPlayerId, 0u);
    EXPECT_TRUE(f.otherPilots.empty() && f.playerLabels.empty());
    EXPECT_EQ(f.difficulty, 0);
    EXPECT_EQ(f.request, F::kNone);
    EXPECT_EQ(f.screen, F::kTitle);
    EXPECT_EQ(f.missionCursor, 0);
    EXPECT_EQ(f.loadoutCursor, 1);
    EXPECT_EQ(f.carouselAngle, 0.0f);
    EXPECT_EQ(f.menuClock, 0.0f);
    EXPECT_EQ(f.loadout, (std::array<Weapon, 6>{0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(f.loadoutMessage, "SELECT WEAPON THEN PRESS ITS MOUNT BUTTON");
    for (bool latch : f.fireLatches) EXPECT_FALSE(latch);
    EXPECT_FALSE(f.stickLatch || f.selectLatch || f.backLatch);

    const SkirmishSettings& s = f.skirmishSettings;
    EXPECT_EQ(s.seed, 1u);
    EXPECT_EQ(s.objective, 0);
    EXPECT_EQ(s.terrain, "auto");
    EXPECT_EQ(s.water, "auto");
    EXPECT_EQ(s.mapBlocks, 4);
    EXPECT_EQ(s.sceneryDensity, 9);
    EXPECT_EQ(s.groundUnitsPerZone, 6);
    EXPECT_EQ(s.airUnits, 3);
    EXPECT_TRUE(s.extraction);
}

// One scripted press on a screen and the state it must lead to.
struct Transition {
    const char* name;
    F::Screen screen;
    int row;
    int menuMode;
    enum Control { kSelect, kFire1, kBack } control;
    F::Screen nextScreen;
    int nextRow;
    F::Request request;
};

void PrintTo(const Transition& t, std::ostream* out) { *out << t.name; }

class ScreenTransitions : public ::testing::TestWithParam<Transition> {};

TEST_P(ScreenTransitions, OnePressMovesOn) {
    const Transition& t = GetParam();
    MenuScript script;
    script.menu.menuMode = t.menuMode;
    script.menu.campaignRow = 1;
    script.open(t.screen, t.row);
    if (t.control == Transition::kSelect)
        script.select();
    else if (t.control == Transition::kFire1)
        script.fire(1);
    else
        script.back();
    EXPECT_EQ(script.menu.screen, t.nextScreen);
    EXPECT_EQ(script.menu.cursorRow, t.nextRow);
    EXPECT_EQ(script.menu.request, t.request);
    EXPECT_FALSE(script.deployed);
}

INSTANTIATE_TEST_SUITE_P(
    Menus, ScreenTransitions,
    ::testing::Values(
        Transition{"TitleSingle", F::kTitle, 0, 2, Transition::kSelect, F::kCampaignChoice, 1, F::kNone},
        Transition{"TitleCoop", F::kTitle, 1, 1, Transition::kSelect, F::kCoopMenu, 0, F::kNone},
        Transition{"TitleLoad", F::kTitle, 2, 1, Transition::kSelect, F::kCampaignChoice, 1, F::kNone},
        Transition{"TitleExit", F::kTitle, 3, 1, Transition::kSelect, F::kTitle, 3, F::kQuit},
        Transition{"TitleExitByMountButton", F::kTitle, 3, 1, Transition::kFire1, F::kTitle, 3, F::kQuit},
        Transition{"TitleBack", F::kTitle, 2, 1, Transition::kBack, F::kTitle, 0, F::kNone},
        Transition{"CoopHost", F::kCoopMenu, 0, 1, Transition::kSelect, F::kCampaignChoice, 0, F::kNone},
        Transition{"CoopJoin", F::kCoopMenu, 1, 1, Transition::kSelect, F::kJoinCode, 0, F::kNone},
        Transition{"CoopBackRow", F::kCoopMenu, 2, 1, Transition::kSelect, F::kTitle, 0, F::kNone},
        Transition{"CoopBack", F::kCoopMenu, 1, 1, Transition::kBack, F::kTitle, 0, F::kNone},
        Transition{"CampaignNew", F::kCampaignChoice, 0, 1, Transition::kSelect, F::kCampaignChoice, 0,
                   F::kNewCampaign},
        Transition{"CampaignLoad", F::kCampaignChoice, 1, 2, Transition::kSelect, F::kCampaignChoice, 0,
                   F::kLoadCampaign},
        Transition{"CampaignHost", F::kCampaignChoice, 0, 3, Transition::kSelect, F::kCampaignChoice, 0,
                   F::kHostLobby},
        Transition{"CampaignSkirmish", F::kCampaignChoice, 2, 1, Transition::kSelect, F::kSkirmishSetup, 0,
                   F::kSkirmishSetupRequest},
        Transition{"CampaignRowClampedInLoadMode", F::kCampaignChoice, 2, 2, Transition::kSelect,
                   F::kCampaignChoice, 0, F::kLoadCampaign},
        Transition{"CampaignBackToTitle", F::kCampaignChoice, 1, 1, Transition::kBack, F::kTitle, 0, F::kNone},
        Transition{"CampaignBackToCoop", F::kCampaignChoice, 1, 3, Transition::kBack, F::kCoopMenu, 0, F::kNone},
        Transition{"JoinRequest", F::kJoinCode, 4, 1, Transition::kSelect, F::kJoinCode, 4, F::kJoinLobby},
        Transition{"JoinBackKeepsRow", F::kJoinCode, 4, 1, Transition::kBack, F::kCoopMenu, 4, F::kNone},
        Transition{"ConnectingBack", F::kLobbyConnecting, 0, 1, Transition::kBack, F::kLobbyConnecting, 0,
                   F::kLeaveLobby},
        Transition{"WaitingBack", F::kLobbyWaiting, 0, 1, Transition::kBack, F::kLobbyWaiting, 0, F::kLeaveLobby},
        Transition{"WaitingNoMissionYet", F::kLobbyWaiting, 0, 1, Transition::kSelect, F::kLobbyWaiting, 0,
                   F::kNone},
        Transition{"ReadyUnready", F::kLobbyReady, 0, 1, Transition::kSelect, F::kLoadout, 0, F::kReady},
        Transition{"ReadyBack", F::kLobbyReady, 0, 1, Transition::kBack, F::kLobbyReady, 0, F::kLeaveLobby},
        Transition{"LostBack", F::kConnectionLost, 0, 1, Transition::kBack, F::kConnectionLost, 0, F::kLeaveLobby},
        Transition{"LostSelectNothing", F::kConnectionLost, 0, 1, Transition::kSelect, F::kConnectionLost, 0,
                   F::kNone},
        Transition{"MissionMenuResume", F::kMissionMenu, 0, 1, Transition::kSelect, F::kPlaying, 0, F::kNone},
        Transition{"MissionMenuRestart", F::kMissionMenu, 1, 1, Transition::kSelect, F::kMissionMenu, 1,
                   F::kRestart},
        Transition{"MissionMenuAbort", F::kMissionMenu, 2, 1, Transition::kSelect, F::kMissionMenu, 2, F::kAbort},
        Transition{"MissionMenuSelfDestruct", F::kMissionMenu, 3, 1, Transition::kSelect, F::kMissionMenu, 3,
                   F::kSelfDestruct},
        Transition{"MissionMenuVolumeRowIdle", F::kMissionMenu, 5, 1, Transition::kSelect, F::kMissionMenu, 5,
                   F::kNone},
        Transition{"MissionMenuLeave", F::kMissionMenu, 7, 1, Transition::kSelect, F::kMissionMenu, 7,
                   F::kLeaveLobby},
        Transition{"MissionMenuBackResumes", F::kMissionMenu, 4, 1, Transition::kBack, F::kPlaying, 0, F::kNone}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FrontendMenus, ScreenChoicesSetModesAndFlags) {
    MenuScript script;
    script.menu.skirmish = true;
    script.menu.statusLine = "OLD";
    script.menu.campaignRow = 1;
    script.select();  // title, single player
    EXPECT_EQ(script.menu.menuMode, 1);
    EXPECT_FALSE(script.menu.skirmish);
    EXPECT_TRUE(script.menu.statusLine.empty());

    script.down();  // campaign rows 0..2
    EXPECT_EQ(script.menu.cursorRow, 2);
    script.menu.coopActive = script.menu.host = true;
    script.select();
    EXPECT_TRUE(script.menu.skirmish);
    EXPECT_FALSE(script.menu.coopActive || script.menu.host);

    MenuScript host;
    host.open(F::kCoopMenu, 0);
    host.select();
    EXPECT_EQ(host.menu.menuMode, 3);
    host.menu.cursorRow = 1;
    host.select();
    EXPECT_EQ(host.menu.campaignRow, 1);
    EXPECT_EQ(host.menu.request, F::kHostLobby);

    MenuScript join;
    join.menu.joinCursor = 4;
    join.open(F::kCoopMenu, 1);
    join.select();
    EXPECT_EQ(join.menu.joinCursor, 0);

    MenuScript waiting;
    waiting.open(F::kLobbyWaiting);
    waiting.menu.missionSelected = true;
    waiting.select();
    EXPECT_EQ(waiting.menu.screen, F::kBriefing);

    MenuScript ready;
    ready.open(F::kLobbyReady);
    ready.menu.ready = true;
    ready.select();
    EXPECT_FALSE(ready.menu.ready);
}

TEST(FrontendMenus, InMissionMenuRowsAndHostOnlyActions) {
    MenuScript script;
    script.open(F::kMissionMenu, 4);
    script.select();
    EXPECT_FALSE(script.menu.radio);
    script.select();
    EXPECT_TRUE(script.menu.radio);

    script.menu.coopActive = true;
    for (int row : {1, 2}) {
        script.menu.notice.clear();
        script.open(F::kMissionMenu, row);
        script.select();
        EXPECT_EQ(script.menu.notice, "ONLY HOST CAN RESTART OR ABORT");
        EXPECT_EQ(script.menu.request, F::kNone);
    }
    script.menu.host = true;
    script.select();
    EXPECT_EQ(script.menu.request, F::kAbort);
}

TEST(FrontendMenus, RowStepsWrapAndUpWinsOverRight) {
    MenuScript script;
    script.up();
    EXPECT_EQ(script.menu.cursorRow, 3);
    script.down();
    EXPECT_EQ(script.menu.cursorRow, 0);
    script.left();
    EXPECT_EQ(script.menu.cursorRow, 3);
    script.right();
    EXPECT_EQ(script.menu.cursorRow, 0);
    script.stick(0.9f, 0.9f);  // up and right together: up
    EXPECT_EQ(script.menu.cursorRow, 3);
    script.stick(0.5f, -0.5f);  // inside the dead zone
    EXPECT_EQ(script.menu.cursorRow, 3);
}

TEST(FrontendMenus, JoinCodeEntryStepsLettersAndSlots) {
    MenuScript script;
    script.open(F::kJoinCode);
    script.down();
    EXPECT_EQ(script.menu.joinCode, "9AAAAA");
    script.up();
    EXPECT_EQ(script.menu.joinCode, "AAAAAA");
    script.up();
    EXPECT_EQ(script.menu.joinCode, "BAAAAA");
    script.left();
    EXPECT_EQ(script.menu.joinCursor, 5);
    script.right();
    script.right();
    EXPECT_EQ(script.menu.joinCursor, 1);
    script.menu.joinCode[1] = 'I';  // not in the alphabet: counts as the last letter
    script.up();
    EXPECT_EQ(script.menu.joinCode, "BAAAAA");
    script.menu.joinCode[1] = 'H';  // G, H, J: no I
    script.up();
    EXPECT_EQ(script.menu.joinCode, "BJAAAA");
    script.menu.joinCode = "AB";  // a short code written elsewhere is never indexed past its end
    script.menu.joinCursor = 4;
    script.up();
    EXPECT_EQ(script.menu.joinCode, "AB");
}

TEST(FrontendMenus, VolumesStepByTwentiethsWithinZeroToOne) {
    struct Case {
        float start;
        float x;
        float expected;
    };
    for (const Case c : {Case{0.97f, 1.0f, 1.0f}, Case{0.0f, -1.0f, 0.0f}, Case{1.0f, 1.0f, 1.0f},
                         Case{0.5f, 1.0f, 0.55f}, Case{0.5f, -0.8f, 0.45f}, Case{0.025f, 1.0f, 0.1f}}) {
        for (int row : {5, 6}) {
            MenuScript script;
            script.open(F::kMissionMenu, row);
            float& volume = row == 5 ? script.menu.soundVolume : script.menu.musicVolume;
            volume = c.start;
            script.stick(c.x, 0.3f);
            EXPECT_FLOAT_EQ(volume, c.expected) << c.start << " row " << row;
            EXPECT_EQ(script.menu.cursorRow, row);
        }
    }
    MenuScript script;
    script.open(F::kMissionMenu, 5);
    script.down();  // vertical push on a volume row moves the row
    EXPECT_EQ(script.menu.cursorRow, 6);
    EXPECT_EQ(script.menu.soundVolume, 1.0f);
    script.open(F::kMissionMenu, 4);
    script.right();  // sideways elsewhere is a row step
    EXPECT_EQ(script.menu.cursorRow, 5);
    EXPECT_EQ(script.menu.soundVolume, 1.0f);
}

TEST(FrontendEdges, HeldControlsActOncePerPress) {
    MenuScript script;
    Input held;
    held.axes[1] = -1.0f;
    for (int i = 0; i < 5; ++i) script.frame(held);
    EXPECT_EQ(script.menu.cursorRow, 1);
    script.release();
    script.frame(held);
    EXPECT_EQ(script.menu.cursorRow, 2);

    // A select held from the title onto the campaign screen does not choose a campaign.
    MenuScript chooser;
    for (int i = 0; i < 4; ++i) chooser.frame(Input{}, true);
    EXPECT_EQ(chooser.menu.screen, F::kCampaignChoice);
    EXPECT_EQ(chooser.menu.request, F::kNone);
    chooser.release();
    chooser.select();
    EXPECT_EQ(chooser.menu.request, F::kNewCampaign);

    // The right-hand mount button activates once per press too.
    MenuScript mount;
    Input fire;
    fire.fire[1] = true;
    for (int i = 0; i < 3; ++i) mount.frame(fire);
    EXPECT_EQ(mount.menu.screen, F::kCampaignChoice);
    EXPECT_EQ(mount.menu.request, F::kNone);

    // Back held from the coop menu to the title does nothing more there.
    MenuScript backer;
    backer.open(F::kCoopMenu, 2);
    for (int i = 0; i < 3; ++i) backer.frame(Input{}, false, true);
    EXPECT_EQ(backer.menu.screen, F::kTitle);
}

TEST(FrontendEdges, UnfocusedFramesOnlyLatch) {
    for (bool focused : {false, true}) {
        MenuScript script;
        script.open(F::kTitle, 3);
        Input away;
        away.focused = focused;
        away.head = !focused;
        away.axes[1] = -1.0f;
        away.fire[1] = true;
        script.frame(away, true, true);
        EXPECT_EQ(script.menu.screen, F::kTitle);
        EXPECT_EQ(script.menu.cursorRow, 3);
        EXPECT_EQ(script.menu.request, F::kNone);
        EXPECT_FALSE(script.deployed);
        EXPECT_TRUE(script.menu.stickLatch && script.menu.selectLatch && script.menu.backLatch);
        EXPECT_TRUE(script.menu.fireLatches[1]);
        EXPECT_FLOAT_EQ(script.menu.menuClock, 0.016f);

        // Back in focus with everything still held: nothing acts until released.
        Input back;
        back.axes[1] = -1.0f;
        back.fire[1] = true;
        script.frame(back, true, true);
        EXPECT_EQ(script.menu.cursorRow, 3);
        EXPECT_EQ(script.menu.request, F::kNone);
        script.release();
        script.select();
        EXPECT_EQ(script.menu.request, F::kQuit);
    }
}

TEST(FrontendEdges, PlayingScreenIgnoresInputButLatches) {
    MenuScript script;
    script.open(F::kPlaying);
    script.frame(Input{}, true, true);
    EXPECT_EQ(script.menu.screen, F::kPlaying);
    EXPECT_EQ(script.menu.request, F::kNone);
    EXPECT_TRUE(script.menu.selectLatch);
    // The shell opens the mission menu while select is still held: it does not act.
    script.menu.screen = F::kMissionMenu;
    script.frame(Input{}, true);
    EXPECT_EQ(script.menu.screen, F::kMissionMenu);
}

TEST(FrontendClock, BadFrameTimesAdvanceNothingAndLongOnesAreCapped) {
    for (float dt : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), -1.0f}) {
        Frontend f;
        f.missionCursor = 1;
        f.update(Input{}, dt, false, false);
        EXPECT_EQ(f.menuClock, 0.0f);
        EXPECT_EQ(f.carouselAngle, 0.0f);
    }
    Frontend f;
    f.missionCursor = 1;
    f.update(Input{}, 0.5f, false, false);
    EXPECT_FLOAT_EQ(f.menuClock, 0.1f);
    EXPECT_FLOAT_EQ(f.carouselAngle, -std::numbers::pi_v<float> / 2.0f);
}

TEST(FrontendClock, CarouselEasesTheShorterWay) {
    Frontend f;
    f.missionCursor = 3;  // target -3/2 pi is a quarter turn the other way
    f.update(Input{}, 0.05f, false, false);
    EXPECT_FLOAT_EQ(f.carouselAngle, 0.5f * std::numbers::pi_v<float> / 2.0f);
    f.update(Input{}, 0.1f, false, false);
    EXPECT_NEAR(std::remainder(f.carouselAngle + 1.5f * std::numbers::pi_v<float>, 2.0f * std::numbers::pi_v<float>),
                0.0f, 1e-6f);
}

}  // namespace
}  // namespace bastion
