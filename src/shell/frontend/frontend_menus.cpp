#include <algorithm>
#include <cmath>

#include "shell/frontend/frontend.h"
#include "shell/frontend/internal/menu_press.h"

namespace bastion {
namespace {

constexpr int kTitleRows = 4;
constexpr int kCoopRows = 3;
constexpr int kMissionMenuRows = 8;
constexpr int kSoundRow = 5;
constexpr int kMusicRow = 6;

// Volumes move on a grid of twentieths, so repeated steps never drift.
float stepVolume(float volume, float direction) {
    const float next = (std::round(20.0f * volume) + direction) / 20.0f;
    return std::clamp(next, 0.0f, 1.0f);
}

void leaveSkirmish(Frontend& menu) {
    menu.skirmish = false;
    menu.statusLine.clear();
}

void activateTitle(Frontend& menu) {
    leaveSkirmish(menu);
    switch (menu.cursorRow) {
    case 0:  // single player
    case 2:  // load
        menu.menuMode = menu.cursorRow == 0 ? 1 : 2;
        menu.screen = Frontend::kCampaignChoice;
        menu.cursorRow = menu.campaignRow;
        break;
    case 1:
        menu.screen = Frontend::kCoopMenu;
        menu.cursorRow = 0;
        break;
    case 3:
        menu.request = Frontend::kQuit;
        break;
    }
}

void activateCoopMenu(Frontend& menu) {
    leaveSkirmish(menu);
    switch (menu.cursorRow) {
    case 0:
        menu.menuMode = 3;
        menu.screen = Frontend::kCampaignChoice;
        break;
    case 1:
        menu.screen = Frontend::kJoinCode;
        menu.joinCursor = 0;
        break;
    case 2:
        menu.screen = Frontend::kTitle;
        break;
    default:
        return;
    }
    menu.cursorRow = 0;
}

void activateMissionMenu(Frontend& menu) {
    switch (menu.cursorRow) {
    case 0:
        menu.screen = Frontend::kPlaying;
        break;
    case 1:
    case 2:
        if (menu.coopActive && !menu.host)
            menu.notice = "ONLY HOST CAN RESTART OR ABORT";
        else
            menu.request = menu.cursorRow == 1 ? Frontend::kRestart : Frontend::kAbort;
        break;
    case 3:
        menu.request = Frontend::kSelfDestruct;
        break;
    case 4:
        menu.radio = !menu.radio;
        break;
    case 7:
        menu.request = Frontend::kLeaveLobby;
        break;
    }
}

}  // namespace

void updateListMenu(Frontend& menu, const MenuPress& press) {
    const int rows = menu.screen == Frontend::kTitle      ? kTitleRows
                     : menu.screen == Frontend::kCoopMenu ? kCoopRows
                                                          : kMissionMenuRows;
    if (press.stickPush) {
        const bool volumeRow = menu.screen == Frontend::kMissionMenu &&
                               (menu.cursorRow == kSoundRow || menu.cursorRow == kMusicRow);
        if (volumeRow && horizontalPush(press)) {
            float& volume = menu.cursorRow == kSoundRow ? menu.soundVolume : menu.musicVolume;
            volume = stepVolume(volume, press.stickX > 0.0f ? 1.0f : -1.0f);
        } else {
            menu.cursorRow = rowStep(menu.cursorRow, rows, press);
        }
    }
    if (press.backEdge) {
        menu.screen = menu.screen == Frontend::kMissionMenu ? Frontend::kPlaying : Frontend::kTitle;
        menu.cursorRow = 0;
        return;
    }
    if (!press.activate) return;
    if (menu.screen == Frontend::kTitle)
        activateTitle(menu);
    else if (menu.screen == Frontend::kCoopMenu)
        activateCoopMenu(menu);
    else
        activateMissionMenu(menu);
}

void updateCampaignChoice(Frontend& menu, const MenuPress& press) {
    const int rows = menu.menuMode == 1 ? 3 : 2;
    menu.cursorRow = std::clamp(menu.cursorRow, 0, rows - 1);
    if (press.stickPush) menu.cursorRow = rowStep(menu.cursorRow, rows, press);
    if (press.backEdge) {
        leaveSkirmish(menu);
        menu.screen = menu.menuMode == 3 ? Frontend::kCoopMenu : Frontend::kTitle;
        menu.cursorRow = 0;
        return;
    }
    if (!press.activate) return;
    if (menu.menuMode == 1 && menu.cursorRow == 2) {
        menu.skirmish = true;
        menu.coopActive = false;
        menu.host = false;
        menu.request = Frontend::kSkirmishSetupRequest;
        menu.screen = Frontend::kSkirmishSetup;
        menu.cursorRow = 0;
        return;
    }
    leaveSkirmish(menu);
    menu.campaignRow = menu.cursorRow;
    menu.request = menu.menuMode == 2   ? Frontend::kLoadCampaign
                   : menu.menuMode == 3 ? Frontend::kHostLobby
                                        : Frontend::kNewCampaign;
    menu.cursorRow = 0;
}

void updateJoinCode(Frontend& menu, const MenuPress& press) {
    constexpr std::string_view kAlphabet = kJoinCodeAlphabet;
    constexpr int kLetters = static_cast<int>(kAlphabet.size());
    constexpr int kCodeLength = kJoinCodeLength;
    if (press.stickPush) {
        const int slot = wrap(menu.joinCursor, kCodeLength);
        if (std::fabs(press.stickX) > kStickThreshold) {
            menu.joinCursor = wrap(slot + (press.stickX > 0.0f ? 1 : -1), kCodeLength);
        } else if (slot < static_cast<int>(menu.joinCode.size())) {
            char& letter = menu.joinCode[static_cast<std::size_t>(slot)];
            const std::size_t found = kAlphabet.find(letter);
            const int index = found == std::string_view::npos ? kLetters - 1 : static_cast<int>(found);
            letter = kAlphabet[static_cast<std::size_t>(wrap(index + (press.stickY > 0.0f ? 1 : -1), kLetters))];
        }
    }
    if (press.backEdge) {
        menu.screen = Frontend::kCoopMenu;
        return;
    }
    if (press.activate) menu.request = Frontend::kJoinLobby;
}

void updateLobby(Frontend& menu, const MenuPress& press) {
    if (press.backEdge) {
        menu.request = Frontend::kLeaveLobby;
        return;
    }
    if (!press.activate) return;
    if (menu.screen == Frontend::kLobbyWaiting && menu.missionSelected) {
        menu.screen = Frontend::kBriefing;
    } else if (menu.screen == Frontend::kLobbyReady) {
        menu.ready = false;
        menu.request = Frontend::kReady;
        menu.screen = Frontend::kLoadout;
    }
}

}  // namespace bastion
