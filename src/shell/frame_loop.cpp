#include "shell/frame_loop.h"

#include <cmath>
#include <stdexcept>
#include <utility>

#include <GL/glew.h>
#include <SDL.h>

#include "audio/audio.h"
#include "render/renderer.h"
#include "shell/camera.h"
#include "shell/game_window.h"
#include "shell/headset_view.h"
#include "shell/requests.h"
#include "shell/screenshot.h"
#include "shell/startup.h"
#include "world/world.h"

namespace bastion {
namespace {

ShellKey shellKey(SDL_Keycode key) {
    switch (key) {
    case SDLK_TAB: return ShellKey::kTab;
    case SDLK_m: return ShellKey::kM;
    case SDLK_w: return ShellKey::kW;
    case SDLK_RETURN: return ShellKey::kReturn;
    case SDLK_DELETE: return ShellKey::kDelete;
    case SDLK_ESCAPE: return ShellKey::kEscape;
    case SDLK_r: return ShellKey::kR;
    default: return ShellKey::kOther;
    }
}

HeldKeys readHeldKeys() {
    const Uint8* state = SDL_GetKeyboardState(nullptr);
    const SDL_Keymod modifiers = SDL_GetModState();
    const Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
    HeldKeys keys;
    keys.a = state[SDL_SCANCODE_A] != 0;
    keys.d = state[SDL_SCANCODE_D] != 0;
    keys.w = state[SDL_SCANCODE_W] != 0;
    keys.s = state[SDL_SCANCODE_S] != 0;
    keys.left = state[SDL_SCANCODE_LEFT] != 0;
    keys.right = state[SDL_SCANCODE_RIGHT] != 0;
    keys.up = state[SDL_SCANCODE_UP] != 0;
    keys.down = state[SDL_SCANCODE_DOWN] != 0;
    keys.mounts[0] = state[SDL_SCANCODE_1] != 0;
    keys.mounts[1] = state[SDL_SCANCODE_2] != 0;
    keys.mounts[2] = state[SDL_SCANCODE_3] != 0;
    keys.mounts[3] = state[SDL_SCANCODE_4] != 0;
    keys.g = state[SDL_SCANCODE_G] != 0;
    keys.h = state[SDL_SCANCODE_H] != 0;
    keys.q = state[SDL_SCANCODE_Q] != 0;
    keys.e = state[SDL_SCANCODE_E] != 0;
    keys.z = state[SDL_SCANCODE_Z] != 0;
    keys.c = state[SDL_SCANCODE_C] != 0;
    keys.shift = (modifiers & KMOD_SHIFT) != 0;
    keys.alt = (modifiers & KMOD_ALT) != 0;
    keys.mouseLeft = (buttons & SDL_BUTTON_LMASK) != 0;
    keys.mouseRight = (buttons & SDL_BUTTON_RMASK) != 0;
    return keys;
}

}  // namespace

FrameLoop::FrameLoop(GameParts parts)
    : parts_(std::move(parts)),
      frameLimit_(parts_.state.options.frames),
      session_(parts_.state.frontend, parts_.world, parts_.state.config, parts_.err) {
    Startup& state = parts_.state;
    session_.configPath = state.configPath;
    session_.savePath = state.savePath;
    session_.sources = parts_.sources;
    session_.difficultyChosen = state.options.difficultyChosen;
    session_.chosenDifficulty = state.options.difficulty;
    session_.server = state.server;
    session_.playerName = state.playerName;
    session_.audio = &parts_.audio;
    session_.rig = parts_.renderer.armRig;
    Audio& audio = parts_.audio;
    session_.setVolumes = [&audio](float sound, float music) { audio.setVolumes(sound, music); };
    // The headset never captures the desktop mouse.
    if (parts_.xr == nullptr) {
        session_.setRelativeMouse = [](bool on) { SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE); };
    }
    session_.frameLimited = frameLimit_ != 0;
}

void FrameLoop::relativeMouse(bool on) {
    if (on) {
        grabMouse(session_);
    } else {
        releaseMouse(session_);
    }
}

void FrameLoop::startCoop(bool host, const std::string& code) { bastion::startCoop(session_, host, code); }

void FrameLoop::loadFirstMission() {
    Frontend& frontend = parts_.state.frontend;
    if (frontend.skirmish && frontend.screen == Frontend::kSkirmishSetup) {
        // The setup screen shows the campaign's first mission as a backdrop.
        parts_.world.loadMission(session_.sources.retail, 0, frontend.campaignRow, true);
    } else {
        loadSelectedMission(parts_.world, frontend, session_.sources, session_.skirmishRecipe);
    }
}

int FrameLoop::run() {
    previous_ = std::chrono::steady_clock::now();
    while (frameLimit_ == 0 || frameCount_ < frameLimit_) {
        if (!frame()) break;
    }
    return frameCount_;
}

FrameRequests FrameLoop::pumpEvents() {
    Frontend& frontend = parts_.state.frontend;
    World& world = parts_.world;
    FrameRequests requests;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        switch (event.type) {
        case SDL_QUIT:
            requests.running = false;
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                world.resetTracking();
                windowFocused_ = false;
            } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
                windowFocused_ = true;
            }
            break;
        case SDL_MOUSEMOTION:
            if (frontend.screen == Frontend::kPlaying && SDL_GetRelativeMouseMode()) {
                applyMouseMotion(session_.look, readHeldKeys(), static_cast<float>(event.motion.xrel),
                                 static_cast<float>(event.motion.yrel));
            }
            break;
        case SDL_MOUSEWHEEL:
            if (frontend.screen == Frontend::kPlaying) {
                applyMouseWheel(session_.look, readHeldKeys(), event.wheel.preciseY);
            }
            break;
        case SDL_TEXTINPUT:
            typeJoinCode(frontend, event.text.text);
            break;
        case SDL_KEYDOWN:
            if (event.key.repeat != 0) break;
            pressKey(shellKey(event.key.keysym.sym), (event.key.keysym.mod & KMOD_CTRL) != 0, frontend,
                     world.pilot.status, requests);
            if (requests.missionMenu) {
                requests.missionMenu = false;
                toggleMissionMenu(session_);
            }
            if (requests.recenter) {
                requests.recenter = false;
                recenter(session_.look);
                head_.taken = false;
                world.pilot.missile.active = false;
                world.resetTracking();
            }
            break;
        default:
            break;
        }
    }
    return requests;
}

// With a co-op client the World only shows the room's snapshots.
void FrameLoop::stepSinglePlayer(Input& input, float dt) {
    Frontend& frontend = parts_.state.frontend;
    World& world = parts_.world;
    if (session_.coop.client != nullptr) return;
    if (frontend.screen != Frontend::kPlaying) {
        world.resetTracking();
        return;
    }
    applyLatches(latches_, input, 6);
    world.step(input, dt, true);
    recordMissionResult(session_, input);
}

void FrameLoop::stepEjectionDemo(const Input& input, float dt) {
    Frontend& frontend = parts_.state.frontend;
    if (frontend.screen != Frontend::kPlaying || !input.focused || !input.head || !(dt > 0.0f && dt <= 0.1f)) return;
    ejectionDemoTimer_ += dt;
    if (ejectionDemoTimer_ >= 3.0f && !parts_.world.pilot.dead) {
        parts_.world.hurt(10000.0f);
        parts_.out << "Ejection demo: destruction triggered\n" << std::flush;
    }
    if (ejectionDemoTimer_ >= 13.0f) {
        // A new cycle keeps a default World's difficulty.
        World fresh;
        fresh.configure(frontend.loadout, parts_.renderer.armRig);
        loadSelectedMission(fresh, frontend, session_.sources, session_.skirmishRecipe);
        parts_.world = std::move(fresh);
        parts_.out << "Ejection demo: new demonstration cycle\n" << std::flush;
        ejectionDemoTimer_ = 0.0f;
    }
}

// The headset's input replaces the keyboard's select and back (Escape still
// toggles the mission menu); `leave` is set when the runtime ends the session.
Input FrameLoop::frameInput(FrameRequests& requests, bool& leave) {
    Frontend& frontend = parts_.state.frontend;
    vant::XR* xr = parts_.xr;
    if (xr == nullptr) return desktopInput(readHeldKeys(), session_.look, windowFocused_, frontend.screen);
    leave = !xr->beginFrame(false, false);
    if (leave) return Input{};
    const HeadsetFrame headset =
        headsetInput(xr->tracking(), xr->focused(), xr->headPose(), frontend.screen, head_, pauseWasHeld_);
    if (headset.missionMenu) toggleMissionMenu(session_);
    requests.select = headset.select;
    requests.back = headset.back;
    return headset.input;
}

void FrameLoop::drawHeadset(bool tracked) {
    vant::XR& xr = *parts_.xr;
    const Frontend& frontend = parts_.state.frontend;
    const World& world = parts_.world;
    const vant::Matrix body = headsetBody(world, frontend, head_, xr.headPose());
    const vant::Matrix head = vant::multiply(body, posePlacement(xr.headPose()));
    xr.endFrame(
        [&](const XrView& view, int, int, int) {
            parts_.renderer.draw(world, eyeProjection(view.fov), vant::multiply(body, posePlacement(view.pose)), head,
                                 !xr.focused(), &frontend);
        },
        true);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    // Frames the runtime does not show would otherwise spin.
    if (!tracked) SDL_Delay(8);
}

void FrameLoop::draw(const Input& input) {
    if (parts_.xr != nullptr) {
        drawHeadset(input.head);
        return;
    }
    int width = 0;
    int height = 0;
    parts_.window.drawableSize(width, height);
    if (width <= 0 || height <= 0) return;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);
    const Frontend& frontend = parts_.state.frontend;
    const vant::Matrix camera = desktopCamera(parts_.world, frontend, session_.look.yaw, session_.look.pitch);
    parts_.renderer.draw(parts_.world, desktopProjection(width, height), camera, camera, !windowFocused_, &frontend);
}

bool FrameLoop::frame() {
    Startup& state = parts_.state;
    Frontend& frontend = state.frontend;
    World& world = parts_.world;
    const CommandLine& options = state.options;

    FrameRequests requests = pumpEvents();
    if (!requests.running) return false;

    bool leave = false;
    Input input = frameInput(requests, leave);
    if (leave) return false;

    const auto now = std::chrono::steady_clock::now();
    const float dt = static_cast<float>(std::chrono::duration_cast<std::chrono::nanoseconds>(now - previous_).count()) /
                     1e9f;

    if (frontend.screen == Frontend::kPlaying) applyLatches(latches_, input, 8);

    driveCoop(session_, input, dt, latches_);

    requests.select = selectAfterMissionEnd(session_, input, requests.select);

    const float soundBefore = frontend.soundVolume;
    const float musicBefore = frontend.musicVolume;
    const int screenBefore = frontend.screen;
    if (frontend.update(input, dt, requests.select, requests.back)) {
        deployMission(session_, input);
        takeLatches(latches_, input, 8);
    }
    applyVolumeChange(session_, soundBefore, musicBefore);
    sendMissionChoice(session_, screenBefore);
    carryOutRequest(session_);

    if (screenBefore == Frontend::kMissionMenu && frontend.screen == Frontend::kPlaying) {
        takeLatches(latches_, input, 6);
        relativeMouse(true);
    }

    stepSinglePlayer(input, dt);

    if (session_.coop.client == nullptr && !options.ejectionDemo && options.ejectionPreview < 0.0f &&
        frontend.handleFailure(world, input)) {
        if (session_.sources.prototype) session_.keepGoing = false;
        world.pilot.missile.active = false;
        world.resetTracking();
        session_.look.yaw = 0.0f;
        session_.look.pitch = 0.0f;
        takeLatches(latches_, input, 6);
        relativeMouse(false);
    }

    if (options.ejectionDemo) stepEjectionDemo(input, dt);
    if (options.healthPreview >= 0.0f) parts_.world.pilot.health = options.healthPreview;

    const bool playing = frontend.screen == Frontend::kPlaying;
    parts_.audio.update(parts_.world, playing && input.focused, !playing && input.focused);

    draw(input);
    ++frameCount_;
    if (!options.screenshot.empty() && frameLimit_ != 0 && frameCount_ == frameLimit_) {
        int width = 0;
        int height = 0;
        parts_.window.drawableSize(width, height);
        saveScreenshot(options.screenshot, width, height);
    }
    if (glGetError() != GL_NO_ERROR) throw std::runtime_error("OpenGL frame error");
    SDL_GL_SwapWindow(parts_.window.window());
    if (!session_.keepGoing) return false;
    previous_ = now;
    return true;
}

}  // namespace bastion
