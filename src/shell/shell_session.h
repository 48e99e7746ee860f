#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>

#include <nlohmann/json.hpp>

#include "shell/client_config.h"
#include "shell/frontend.h"
#include "world/pilot.h"
#include "world/world.h"

namespace bastion {

// Fills a freshly built World with the mission the front end selects.
using MissionSetup = std::function<void(World&)>;
// Turns the skirmish settings into a procedural recipe.
using SkirmishGenerator = std::function<nlohmann::json(const SkirmishSettings&)>;

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
    std::filesystem::path retail;
    std::filesystem::path savePath;  // empty: no campaign save (sandbox play)
    bool fixture = false;
    bool difficultyChosen = false;  // the command line chose it; saves never override it
    bool prototypeMode = false;
    u32 prototypeSeed = 0;
    std::filesystem::path proceduralLayout;
    // Generated once per skirmish, so a restart replays the same mission.
    std::optional<nlohmann::json> skirmishRecipe;
    ArmRig rig;

    MissionSetup loadSelectedMission;
    // Empty while no generator is built in: asking for a skirmish then fails.
    SkirmishGenerator generateSkirmishRecipe;
    std::function<void(float sound, float music)> setVolumes;
    // Relative mouse mode of the desktop window; empty in the headset.
    std::function<void(bool on)> setRelativeMouse;
    bool frameLimited = false;  // a "--frames" run never grabs the mouse

    bool keepGoing = true;
    bool freshCampaign = false;  // the next save overwrites instead of merging
    bool debriefShown = false;   // the current mission's result was handled
    float mouseYaw = 0.0f;
    float mousePitch = 0.0f;
};

// Relative mouse mode for play: on only on the desktop without a frame limit.
void grabMouse(ShellSession& session);
void releaseMouse(ShellSession& session);

}  // namespace bastion
