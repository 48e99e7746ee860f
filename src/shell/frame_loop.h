#pragma once

#include <chrono>
#include <optional>
#include <ostream>

#include <nlohmann/json.hpp>

#include "shell/button_latches.h"
#include "shell/desktop_input.h"
#include "shell/headset_input.h"
#include "shell/mission_setup.h"
#include "shell/shell_session.h"

namespace bastion {

class Audio;
class GameWindow;
class Renderer;
class World;
struct Startup;

// The objects the frame loop drives; all owned by the program entry.
struct GameParts {
    Startup& state;
    GameWindow& window;
    Renderer& renderer;
    Audio& audio;
    World& world;
    MissionSources sources;
    std::ostream& out;
    std::ostream& err;
    vant::XR* xr = nullptr;  // the headset session; null on the desktop
};

// The body of the program between start-up and shutdown: one pass of `frame`
// per displayed frame, until a window close, Ctrl+W, the frame limit or a
// request to stop.
class FrameLoop {
public:
    explicit FrameLoop(GameParts parts);

    // Runs frames until the loop ends; returns the number of frames run.
    int run();

    // Start-up's first mission (step by step as a rebuild would do it).
    void loadFirstMission();

    // Start-up's co-op start of "--host" or "--join CODE".
    void startCoop(bool host, const std::string& code);

    // Turns relative mouse mode on or off; turning on only happens on the
    // desktop without a frame limit.
    void relativeMouse(bool on);

private:
    bool frame();
    FrameRequests pumpEvents();
    void stepSinglePlayer(Input& input, float dt);
    void stepEjectionDemo(const Input& input, float dt);
    Input frameInput(FrameRequests& requests, bool& leave);
    void draw(const Input& input);
    void drawHeadset(bool tracked);

    GameParts parts_;
    int frameLimit_ = 0;
    int frameCount_ = 0;
    bool windowFocused_ = true;
    float ejectionDemoTimer_ = 0.0f;
    // The state the front end's requests act on, with the mouse look.
    ShellSession session_;
    ButtonLatches latches_;
    HeadReference head_;        // headset only
    bool pauseWasHeld_ = false;  // headset pause button of the last frame
    std::chrono::steady_clock::time_point previous_;
};

}  // namespace bastion
