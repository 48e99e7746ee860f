#include <algorithm>
#include <cmath>

#include "shell/frontend/frontend.h"
#include "shell/frontend/internal/menu_press.h"

namespace bastion {
namespace {

void backFromMissionScreen(Frontend& menu) {
    switch (menu.screen) {
    case Frontend::kMissionSelection:
        if (menu.coopActive) {
            menu.request = Frontend::kLeaveLobby;
        } else {
            menu.screen = Frontend::kTitle;
            menu.cursorRow = 0;
        }
        break;
    case Frontend::kLoadout:
        menu.screen = Frontend::kBriefing;
        break;
    default:
        if (menu.skirmish) {
            menu.screen = Frontend::kSkirmishSetup;
            menu.cursorRow = 9;
        } else if (menu.coopActive && !menu.host) {
            menu.screen = Frontend::kLobbyWaiting;
        } else {
            menu.screen = Frontend::kMissionSelection;
        }
        break;
    }
}

// Lists are laid out in two columns: sideways moves one entry, up and down a row of two.
int listStep(const MenuPress& press) {
    if (std::fabs(press.stickX) > kStickThreshold) return press.stickX > 0.0f ? 1 : -1;
    return press.stickY > 0.0f ? -2 : 2;
}

// Why the menu loadout may not deploy, or nullptr when it may.
const char* deployRefusal(const Frontend& menu) {
    if (!menu.missionAvailable(menu.missionCursor)) return "MISSION LOCKED";
    const Loadout& mounts = menu.loadout;
    if ((mounts[kLeftHip] == kAutoGrenade && mounts[kRightHip] != kEmptyHand) ||
        (mounts[kRightHip] == kAutoGrenade && mounts[kLeftHip] != kEmptyHand))
        return "AUTO GRENADE LAUNCHER REQUIRES BOTH HIPS";
    for (int mount = 0; mount < kMountCount; ++mount) {
        const Weapon weapon = mounts[static_cast<std::size_t>(mount)];
        if (weapon >= kWeaponCount ||
            (!menu.skirmish && !menu.sandbox && !menu.progression.weaponAvailable(weapon)) ||
            !compatible(weapon, mount) || std::count(mounts.begin(), mounts.end(), weapon) > copyLimit(weapon))
            return "REMOVE LOCKED OR INVALID EQUIPMENT";
    }
    return nullptr;
}

bool deploy(Frontend& menu) {
    if (const char* refusal = deployRefusal(menu)) {
        menu.loadoutMessage = refusal;
        return false;
    }
    if (menu.coopActive) {
        menu.ready = true;
        menu.request = Frontend::kReady;
        menu.screen = Frontend::kLobbyReady;
        return false;
    }
    menu.resultLine.clear();
    menu.screen = Frontend::kPlaying;
    return true;
}

}  // namespace

bool updateMissionScreens(Frontend& menu, const MenuPress& press) {
    if (press.backEdge) {
        backFromMissionScreen(menu);
        return false;
    }
    if (press.stickPush) {
        if (menu.screen == Frontend::kMissionSelection) {
            menu.missionCursor = wrap(menu.missionCursor + listStep(press), menu.progression.rules.missionCount());
        } else if (menu.screen == Frontend::kLoadout) {
            // The first campaign arms only the weapons 0..8.
            const int weapons = menu.campaignRow != 0 || menu.skirmish || menu.sandbox ? 13 : 9;
            menu.loadoutCursor = wrap(menu.loadoutCursor + listStep(press), weapons);
        }
    }
    switch (menu.screen) {
    case Frontend::kMissionSelection:
        if (!press.activate) break;
        if (menu.missionAvailable(menu.missionCursor)) {
            menu.screen = Frontend::kBriefing;
            menu.loadoutMessage = kLoadoutPrompt;
        } else {
            menu.loadoutMessage = "MISSION LOCKED - COMPLETE THE PREVIOUS GROUP";
        }
        break;
    case Frontend::kBriefing:
        if (press.activate)
            menu.screen = menu.missionAvailable(menu.missionCursor) ? Frontend::kLoadout : Frontend::kMissionSelection;
        break;
    default:
        for (int mount = 0; mount < kMountCount; ++mount)
            if (press.fireEdges[mount]) menu.equip(mount, press.removeHeld);
        // The right-hand mount button equips here; only select deploys.
        if (press.selectEdge) return deploy(menu);
        break;
    }
    return false;
}

}  // namespace bastion
