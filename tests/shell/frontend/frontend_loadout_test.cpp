#include <gtest/gtest.h>

#include "shell/frontend/menu_script.h"

namespace bastion {
namespace {

using testing_menu::MenuScript;
using F = Frontend;

constexpr Weapon kEmpty = kEmptyHand, kRocket = kRocketLauncher, kGrenade = kGrenadeRack, kAutoGren = kAutoGrenade;

// A first-campaign menu on the loadout screen with every weapon open.
struct Armoury : MenuScript {
    Armoury() {
        menu.progression.completed = 0xFFFu;  // missions 0..11: every reward of the first campaign
        open(F::kLoadout);
    }
    bool put(Weapon weapon, int mount) {
        menu.loadoutCursor = static_cast<int>(weapon);
        return menu.equip(mount, false);
    }
};

TEST(FrontendEquip, ChecksRunInOrderWithTheirMessages) {
    struct Case {
        const char* name;
        Weapon cursor;
        int mount;
        std::array<Weapon, 6> before;
        enum { kOpen, kLocked, kSandbox } access;
        const char* message;
    };
    const std::array<Weapon, 6> start = {kEmpty, kRifle, kEmpty, kEmpty, kEmpty, kEmpty};
    const Case cases[] = {
        {"Locked", kRocket, 2, start, Case::kLocked, "WEAPON LOCKED - COMPLETE ITS REWARD MISSION"},
        {"LockedBeforeFit", kRocket, 0, start, Case::kLocked, "WEAPON LOCKED - COMPLETE ITS REWARD MISSION"},
        {"BeyondCatalogue", 13, 2, start, Case::kOpen, "WEAPON LOCKED - COMPLETE ITS REWARD MISSION"},
        {"ShieldOnHand", kShield, 0, start, Case::kOpen, "WEAPON DOES NOT FIT THIS MOUNT"},
        {"NoSuchMount", kRocket, 6, start, Case::kOpen, "WEAPON DOES NOT FIT THIS MOUNT"},
        {"NegativeMount", kRocket, -1, start, Case::kOpen, "WEAPON DOES NOT FIT THIS MOUNT"},
        {"OtherHipHoldsAutoGren", kGrenade, 5, {0, 1, 0, 0, kAutoGren, 0}, Case::kSandbox,
         "REMOVE AUTO GRENADE LAUNCHER - BOTH HIPS REQUIRED"},
        {"AutoGrenNeedsFreeHip", kAutoGren, 4, {0, 1, 0, 0, 0, kGrenade}, Case::kSandbox,
         "FREE BOTH HIPS FOR AUTO GRENADE LAUNCHER"},
        {"HipRuleBeforeCopies", kAutoGren, 5, {0, 1, 0, 0, kAutoGren, 0}, Case::kSandbox,
         "REMOVE AUTO GRENADE LAUNCHER - BOTH HIPS REQUIRED"},
        {"RifleCopyLimit", kRifle, 0, start, Case::kOpen, "ALL AVAILABLE COPIES OF THIS WEAPON ARE MOUNTED"},
        {"GatlingCopyLimit", kGatling, 4, {0, 1, kGatling, kGatling, 0, 0}, Case::kOpen,
         "ALL AVAILABLE COPIES OF THIS WEAPON ARE MOUNTED"},
    };
    for (const Case& c : cases) {
        Armoury a;
        if (c.access == Case::kLocked) a.menu.progression.completed = 0;
        a.menu.sandbox = c.access == Case::kSandbox;
        a.menu.loadout = c.before;
        a.menu.loadoutCursor = static_cast<int>(c.cursor);
        EXPECT_FALSE(a.menu.equip(c.mount, false)) << c.name;
        EXPECT_EQ(a.menu.loadoutMessage, c.message) << c.name;
        EXPECT_EQ(a.menu.loadout, c.before) << c.name;
    }
}

TEST(FrontendEquip, MountsWeaponsAndNamesTheMount) {
    Armoury a;
    EXPECT_TRUE(a.put(kGrenade, 4));
    EXPECT_EQ(a.menu.loadoutMessage, "LEFT HIP: GRENADE");
    EXPECT_TRUE(a.put(kRifle, 1));  // the same mount again does not count as a second copy
    EXPECT_EQ(a.menu.loadoutMessage, "RIGHT HAND: RIFLE");
    EXPECT_TRUE(a.put(kGatling, 2));
    EXPECT_TRUE(a.put(kGatling, 3));
    EXPECT_EQ(a.menu.loadoutMessage, "RIGHT SHOULDER: GATLING");
    EXPECT_TRUE(a.menu.equip(0, true));
    EXPECT_EQ(a.menu.loadoutMessage, "LEFT HAND: EMPTY");
    EXPECT_EQ(a.menu.loadout, (std::array<Weapon, 6>{kEmpty, kRifle, kGatling, kGatling, kGrenade, kEmpty}));

    // Locked weapons are open in skirmish and sandbox.
    for (bool skirmish : {false, true}) {
        Armoury open;
        open.menu.progression.completed = 0;
        open.menu.skirmish = skirmish;
        open.menu.sandbox = !skirmish;
        EXPECT_TRUE(open.put(kAutoGren, 5));
        EXPECT_EQ(open.menu.loadoutMessage, "RIGHT HIP: AUTO GREN");
    }
}

TEST(FrontendEquip, RemovingEitherHipOfTheAutoGrenadeLauncherEmptiesBoth) {
    for (int mount : {4, 5}) {
        Armoury a;
        a.menu.sandbox = true;  // the first campaign never opens the auto grenade launcher
        EXPECT_TRUE(a.put(kAutoGren, 9 - mount));
        EXPECT_TRUE(a.menu.equip(mount, true));
        EXPECT_EQ(a.menu.loadout[4], kEmpty);
        EXPECT_EQ(a.menu.loadout[5], kEmpty);
        EXPECT_EQ(a.menu.loadoutMessage, mount == 4 ? "LEFT HIP: EMPTY" : "RIGHT HIP: EMPTY");
    }
    Armoury a;  // an ordinary hip weapon stays when the other hip is emptied
    EXPECT_TRUE(a.put(kGrenade, 4));
    EXPECT_TRUE(a.menu.equip(5, true));
    EXPECT_EQ(a.menu.loadout[4], kGrenade);
}

TEST(FrontendLoadoutScreen, MountButtonsEquipAndGripRemoves) {
    Armoury a;
    a.menu.loadoutCursor = static_cast<int>(kRocket);
    a.fire(2);
    EXPECT_EQ(a.menu.loadout[2], kRocket);
    a.fire(2, true);
    EXPECT_EQ(a.menu.loadout[2], kEmpty);
    // The right-hand button equips and never deploys.
    a.menu.loadoutCursor = static_cast<int>(kCutter);
    a.fire(1);
    EXPECT_EQ(a.menu.loadout[1], kCutter);
    EXPECT_EQ(a.menu.screen, F::kLoadout);
    EXPECT_FALSE(a.deployed);
    // Two mounts pressed in one frame are equipped in mount order.
    Input both;
    both.fire[2] = both.fire[3] = true;
    a.menu.loadoutCursor = static_cast<int>(kRocket);
    a.frame(both);
    EXPECT_EQ(a.menu.loadout[2], kRocket);
    EXPECT_EQ(a.menu.loadout[3], kRocket);
    EXPECT_EQ(a.menu.loadoutMessage, "RIGHT SHOULDER: ROCKET");
}

TEST(FrontendLoadoutScreen, CursorWrapsOverTheCampaignsWeapons) {
    struct Case {
        int campaignRow;
        bool skirmish;
        bool sandbox;
        int last;
    };
    for (const Case c : {Case{0, false, false, 8}, Case{1, false, false, 12}, Case{0, true, false, 12},
                         Case{0, false, true, 12}}) {
        MenuScript script;
        script.menu.campaignRow = c.campaignRow;
        script.menu.skirmish = c.skirmish;
        script.menu.sandbox = c.sandbox;
        script.open(F::kLoadout);
        script.menu.loadoutCursor = 0;
        script.left();
        EXPECT_EQ(script.menu.loadoutCursor, c.last);
        script.right();
        EXPECT_EQ(script.menu.loadoutCursor, 0);
        script.down();
        EXPECT_EQ(script.menu.loadoutCursor, 2);
        script.up();
        script.up();
        EXPECT_EQ(script.menu.loadoutCursor, c.last - 1);
    }
}

TEST(FrontendLoadoutScreen, DeployChecksWithTheirMessages) {
    struct Case {
        const char* name;
        std::array<Weapon, 6> loadout;
        int mission;
        const char* message;
    };
    const Case cases[] = {
        {"LockedMission", {0, 1, 0, 0, 0, 0}, 4, "MISSION LOCKED"},
        {"AutoGrenWithOtherHip", {0, 1, 0, 0, kAutoGren, kGrenade}, 0, "AUTO GRENADE LAUNCHER REQUIRES BOTH HIPS"},
        {"OtherHipWithAutoGren", {0, 1, 0, 0, kGrenade, kAutoGren}, 0, "AUTO GRENADE LAUNCHER REQUIRES BOTH HIPS"},
        {"BeyondCatalogue", {0, 1, 0, 0, 0, 13}, 0, "REMOVE LOCKED OR INVALID EQUIPMENT"},
        {"LockedWeapon", {0, 1, 0, 0, 0, 0}, 0, "REMOVE LOCKED OR INVALID EQUIPMENT"},
        {"WrongMount", {kShield, 1, 0, 0, 0, 0}, 0, "REMOVE LOCKED OR INVALID EQUIPMENT"},
        {"TooManyCopies", {kRifle, kRifle, 0, 0, 0, 0}, 0, "REMOVE LOCKED OR INVALID EQUIPMENT"},
    };
    for (const Case& c : cases) {
        Armoury a;
        if (std::string(c.name) == "LockedWeapon") {
            a.menu.progression.completed = 0;
            a.menu.loadout = {0, 1, kRocket, 0, 0, 0};
        } else {
            a.menu.loadout = c.loadout;
        }
        if (std::string(c.name) == "LockedMission") a.menu.progression.completed = 0;
        a.menu.missionCursor = c.mission;
        EXPECT_FALSE(a.select()) << c.name;
        EXPECT_EQ(a.menu.loadoutMessage, c.message) << c.name;
        EXPECT_EQ(a.menu.screen, F::kLoadout) << c.name;
        EXPECT_EQ(a.menu.request, F::kNone) << c.name;
    }
}

TEST(FrontendLoadoutScreen, DeployStartsTheMissionOrReadiesInALobby) {
    Armoury single;
    single.menu.resultLine = "MISSION FAILED";
    single.menu.loadout = {kCutter, kRifle, kRocket, kRocket, kGrenade, kGrenade};
    EXPECT_TRUE(single.frame(Input{}, true));
    EXPECT_EQ(single.menu.screen, F::kPlaying);
    EXPECT_TRUE(single.menu.resultLine.empty());

    Armoury lobby;
    lobby.menu.coopActive = true;
    EXPECT_FALSE(lobby.frame(Input{}, true));
    EXPECT_TRUE(lobby.menu.ready);
    EXPECT_EQ(lobby.menu.request, F::kReady);
    EXPECT_EQ(lobby.menu.screen, F::kLobbyReady);

    // Locked weapons deploy in sandbox play.
    MenuScript sandbox;
    sandbox.menu.sandbox = true;
    sandbox.menu.missionCursor = 15;
    sandbox.menu.loadout = {kEmpty, kRifle, kShield, kEmpty, kAutoGren, kEmpty};
    sandbox.open(F::kLoadout);
    EXPECT_TRUE(sandbox.select());
}

TEST(FrontendMissionScreens, SelectionBriefingAndLoadoutFlow) {
    MenuScript script;
    script.open(F::kMissionSelection);
    script.right();
    EXPECT_EQ(script.menu.missionCursor, 1);
    script.down();
    EXPECT_EQ(script.menu.missionCursor, 3);
    script.up();
    script.up();
    EXPECT_EQ(script.menu.missionCursor, 15);
    script.right();
    EXPECT_EQ(script.menu.missionCursor, 0);

    script.menu.missionCursor = 5;
    script.menu.loadoutMessage = "RIGHT HAND: RIFLE";
    script.select();
    EXPECT_EQ(script.menu.screen, F::kMissionSelection);
    EXPECT_EQ(script.menu.loadoutMessage, "MISSION LOCKED - COMPLETE THE PREVIOUS GROUP");

    script.menu.missionCursor = 2;
    script.select();
    EXPECT_EQ(script.menu.screen, F::kBriefing);
    EXPECT_EQ(script.menu.loadoutMessage, "SELECT WEAPON THEN PRESS ITS MOUNT BUTTON");
    script.right();  // the briefing has no cursor
    EXPECT_EQ(script.menu.missionCursor, 2);
    script.select();
    EXPECT_EQ(script.menu.screen, F::kLoadout);
    script.back();
    EXPECT_EQ(script.menu.screen, F::kBriefing);

    script.menu.missionCursor = 9;  // locked meanwhile: the briefing sends back to the list
    script.select();
    EXPECT_EQ(script.menu.screen, F::kMissionSelection);

    script.menu.cursorRow = 3;
    script.back();
    EXPECT_EQ(script.menu.screen, F::kTitle);
    EXPECT_EQ(script.menu.cursorRow, 0);
}

TEST(FrontendMissionScreens, BackLeavesByTheWayItCame) {
    struct Case {
        F::Screen screen;
        bool skirmish;
        bool coop;
        bool host;
        F::Screen next;
        int row;
        F::Request request;
    };
    for (const Case c : {
             Case{F::kBriefing, true, false, false, F::kSkirmishSetup, 9, F::kNone},
             Case{F::kBriefing, false, true, false, F::kLobbyWaiting, 1, F::kNone},
             Case{F::kBriefing, false, true, true, F::kMissionSelection, 1, F::kNone},
             Case{F::kBriefing, false, false, false, F::kMissionSelection, 1, F::kNone},
             Case{F::kMissionSelection, false, true, true, F::kMissionSelection, 1, F::kLeaveLobby},
         }) {
        MenuScript script;
        script.menu.skirmish = c.skirmish;
        script.menu.coopActive = c.coop;
        script.menu.host = c.host;
        script.open(c.screen, 1);
        script.back();
        EXPECT_EQ(script.menu.screen, c.next);
        EXPECT_EQ(script.menu.request, c.request);
        EXPECT_EQ(script.menu.cursorRow, c.row);
    }
}

}  // namespace
}  // namespace bastion
