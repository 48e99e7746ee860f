#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <ostream>

#include <nlohmann/json.hpp>

#include "shell/client_config.h"
#include "shell/coop_session.h"
#include "shell/desktop_input.h"
#include "shell/frontend/frontend.h"
#include "shell/mission_setup.h"
#include "world/pilot.h"
#include "world/world.h"

namespace bastion {

// Fills a freshly built World with the mission the front end selects; when
// none is given, `loadSelectedMission` of the session's sources does.
using MissionSetup = std::function<void(World&)>;

class Audio;

// What the shell's handling of front-end requests acts on during the frame
// loop. The program entry owns the long-lived objects and hands them in by
// reference; the session owns the co-op session (released before the World)
// and the loop state that lives across frames.
struct ShellSession {
    ShellSession(Frontend& menu, World& current, ClientConfig& settings, std::ostream& errors)
        : frontend(menu), world(current), config(settings), err(errors) {}

    Frontend& frontend;
    World& world;
    ClientConfig& config;
    std::ostream& err;

    std::filesystem::path configPath;
    std::filesystem::path savePath;  // empty: no campaign save (sandbox play)
    MissionSources sources;          // the prototype and layout end with a skirmish set-up
    bool difficultyChosen = false;   // the command line chose it; saves never override it
    int chosenDifficulty = 0;        // what it chose: a new lobby's host asks the room for it
    // Generated once per skirmish, so a restart replays the same mission.
    std::optional<nlohmann::json> skirmishRecipe;
    ArmRig rig;

    MissionSetup loadSelectedMission;
    std::function<void(float sound, float music)> setVolumes;
    // Relative mouse mode of the desktop window; empty in the headset.
    std::function<void(bool on)> setRelativeMouse;
    bool frameLimited = false;  // a "--frames" run never grabs the mouse

    // Co-op: the lobby server and the player's name (configuration after the
    // command line), and the game audio that voice playback goes through
    // (null: no audio object, as in tests).
    std::string server;
    std::string playerName;
    Audio* audio = nullptr;
    CoopSession coop;

    bool keepGoing = true;
    bool freshCampaign = false;  // the next save overwrites instead of merging
    bool debriefShown = false;   // the current mission's result was handled
    DesktopLook look;  // mouse look, reset whenever play (re)starts or pauses
};

// Relative mouse mode for play: on only on the desktop without a frame limit.
void grabMouse(ShellSession& session);
void releaseMouse(ShellSession& session);

}  // namespace bastion
