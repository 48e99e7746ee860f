#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "shell/shared/progression.h"
#include "shell/frontend/skirmish_settings.h"
#include "world/input.h"
#include "world/pilot.h"
#include "world/weapon.h"

namespace bastion {

class World;

inline constexpr const char* kLoadoutPrompt = "SELECT WEAPON THEN PRESS ITS MOUNT BUTTON";

// The letters of a lobby join code: no I, O, 0 or 1.
inline constexpr std::string_view kJoinCodeAlphabet = "ABCDEFGHJKLMNPQRSTUVWXYZ23456789";
inline constexpr int kJoinCodeLength = 6;

// The whole menu state: which screen is shown, the cursors, the campaign
// progression, the menu loadout, the skirmish settings, the lobby flags and
// the text lines the menus show. `update` reads one frame of input and leaves
// a request for the shell; the renderer only reads this state.
struct Frontend {
    enum Screen : int {
        kTitle = 0,
        kCampaignChoice = 1,
        kCoopMenu = 2,
        kJoinCode = 3,
        kLobbyConnecting = 4,
        kLobbyWaiting = 5,
        kLobbyReady = 6,
        kMissionMenu = 7,
        kMissionSelection = 8,
        kBriefing = 9,
        kLoadout = 10,
        kPlaying = 11,
        kDebrief = 12,
        kConnectionLost = 13,
        kSkirmishSetup = 14,
    };

    enum Request : int {
        kNone = 0,
        kNewCampaign = 1,
        kLoadCampaign = 2,
        kHostLobby = 3,
        kJoinLobby = 4,
        kQuit = 5,
        kReady = 6,
        kRestart = 7,
        kAbort = 8,
        kSelfDestruct = 9,
        kLeaveLobby = 10,
        kSkirmishSetupRequest = 11,
        kStartSkirmish = 12,
    };

    Frontend();

    // One menu frame. `select` and `back` are the held states of the shell's
    // select and back buttons. Returns true when the selected mission is to
    // be deployed in single-player play.
    bool update(const Input& input, float dt, bool select, bool back);

    // Puts the loadout cursor's weapon (EMPTY when `remove`) on `mount`;
    // false with the reason in the loadout message when refused.
    bool equip(int mount, bool remove);

    std::array<std::string, 11> skirmishRows() const;

    void acceptResult();
    bool recordResult(const World& world);
    bool handleFailure(const World& world, const Input& input);
    void showDebrief(int mission, const Input& input);
    void restoreCampaign();
    void setLobbyHost(bool isHost);
    void connectionLost();
    bool missionAvailable(int mission) const;

    Progression progression;
    int campaignRow = 0;
    int menuMode = 1;  // 1 new campaign, 2 load the save, 3 host a lobby
    bool sandbox = false;
    bool skirmish = false;
    SkirmishSettings skirmishSettings;
    std::string resultLine;
    std::string secondResultLine;
    std::string statusLine;
    float soundVolume = 1.0f;
    float musicVolume = 1.0f;
    std::string audioLine;
    int debriefMission = -1;
    bool missionSelected = false;
    bool coopActive = false;
    bool host = false;
    bool ready = false;
    bool spectating = false;
    bool radio = true;
    bool spectateStickLatch = false;
    std::string roomCode;
    std::string joinCode = "AAAAAA";
    std::string notice;
    std::string voiceLine;
    int cursorRow = 0;
    int joinCursor = 0;
    int spectateIndex = 0;
    int resultCode = 0;  // 0 none, 1 won, 2 failed
    u32 ownPlayerId = 0;
    std::vector<Pilot> otherPilots;
    std::vector<std::string> playerLabels;
    int difficulty = 0;
    Request request = kNone;
    Screen screen = kTitle;
    int missionCursor = 0;
    int loadoutCursor = 1;
    float carouselAngle = 0.0f;
    float menuClock = 0.0f;
    Loadout loadout = {0, 1, 0, 0, 0, 0};
    std::string loadoutMessage = kLoadoutPrompt;
    bool fireLatches[6] = {false, false, false, false, false, false};
    bool stickLatch = false;
    bool selectLatch = false;
    bool backLatch = false;
};

}  // namespace bastion
