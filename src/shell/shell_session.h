#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>

#include <nlohmann/json.hpp>

#include "shell/client_config.h"
#include "shell/desktop_input.h"
#include "shell/frontend/frontend.h"
#include "shell/mission_setup.h"
#include "world/pilot.h"
#include "world/world.h"

namespace bastion {

// Fills a freshly built World with the mission the front end selects; when
// none is given, `loadSelectedMission` of the session's sources does.
using MissionSetup = std::function<void(World&)>;

// What the shell's handling of front-end requests acts on during the frame
// loop. It owns none of the long-lived objects: the program entry does, and
// hands them in by reference; the rest is loop state that lives across frames.
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
    // Generated once per skirmish, so a restart replays the same mission.
    std::optional<nlohmann::json> skirmishRecipe;
    ArmRig rig;

    MissionSetup loadSelectedMission;
    std::function<void(float sound, float music)> setVolumes;
    // Relative mouse mode of the desktop window; empty in the headset.
    std::function<void(bool on)> setRelativeMouse;
    bool frameLimited = false;  // a "--frames" run never grabs the mouse

    bool keepGoing = true;
    bool freshCampaign = false;  // the next save overwrites instead of merging
    bool debriefShown = false;   // the current mission's result was handled
    DesktopLook look;  // mouse look, reset whenever play (re)starts or pauses
};

// Relative mouse mode for play: on only on the desktop without a frame limit.
void grabMouse(ShellSession& session);
void releaseMouse(ShellSession& session);

}  // namespace bastion
