#include "shell/frame_loop.h"

#include <cmath>
#include <stdexcept>
#include <utility>

#include <GL/glew.h>
#include <SDL.h>

#include "audio/audio.h"
#include "render/renderer.h"
#include "shell/camera.h"
#include "shell/campaign_saving.h"
#include "shell/game_window.h"
#include "shell/menu_press.h"
#include "shell/mission_result.h"
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

bool differs(float before, float now) { return !(before == now); }

}  // namespace

FrameLoop::FrameLoop(GameParts parts) : parts_(std::move(parts)), frameLimit_(parts_.state.options.frames) {}

void FrameLoop::relativeMouse(bool on) {
    if (on && frameLimit_ != 0) return;
    SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE);
}

void FrameLoop::save() { saveCampaign(parts_.state.frontend, parts_.state.savePath, freshCampaign_, parts_.err); }

void FrameLoop::buildWorld() {
    Frontend& frontend = parts_.state.frontend;
    World fresh;
    fresh.difficulty = frontend.difficulty;
    fresh.configure(frontend.loadout, parts_.renderer.armRig);
    loadSelectedMission(fresh, frontend, parts_.sources, skirmishRecipe_);
    parts_.world = std::move(fresh);
}

void FrameLoop::loadFirstMission() {
    Frontend& frontend = parts_.state.frontend;
    if (frontend.skirmish && frontend.screen == Frontend::kSkirmishSetup) {
        // The setup screen shows the campaign's first mission as a backdrop.
        parts_.world.loadMission(parts_.sources.retail, 0, frontend.campaignRow, true);
    } else {
        loadSelectedMission(parts_.world, frontend, parts_.sources, skirmishRecipe_);
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
                applyMouseMotion(look_, readHeldKeys(), static_cast<float>(event.motion.xrel),
                                 static_cast<float>(event.motion.yrel));
            }
            break;
        case SDL_MOUSEWHEEL:
            if (frontend.screen == Frontend::kPlaying) {
                applyMouseWheel(look_, readHeldKeys(), event.wheel.preciseY);
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
                toggleMissionMenu();
            }
            if (requests.recenter) {
                requests.recenter = false;
                recenter(look_);
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

void FrameLoop::toggleMissionMenu() {
    Frontend& frontend = parts_.state.frontend;
    World& world = parts_.world;
    if (frontend.screen == Frontend::kMissionMenu) {
        frontend.screen = Frontend::kPlaying;
        latchMenuButtons(frontend);
        relativeMouse(true);
    } else if (frontend.screen == Frontend::kPlaying && world.pilot.status != kStatusKilled) {
        if (frontend.skirmish) {
            frontend.statusLine =
                "SKIRMISH / SEED " + std::to_string(frontend.skirmishSettings.seed) + " / " + world.objectiveText;
        } else if (parts_.sources.prototype) {
            frontend.statusLine =
                "SEED " + std::to_string(parts_.sources.prototypeSeed) + " / " + world.objectiveText;
        }
        frontend.screen = Frontend::kMissionMenu;
        frontend.cursorRow = 0;
        latchMenuButtons(frontend);
        world.resetTracking();
        relativeMouse(false);
        look_.yaw = 0.0f;
        look_.pitch = 0.0f;
    }
}

void FrameLoop::selectAfterMissionEnd(const Input& input, FrameRequests& requests) {
    Frontend& frontend = parts_.state.frontend;
    const int status = parts_.world.pilot.status;
    if (frontend.screen != Frontend::kPlaying || !input.focused || !input.head || !requests.select) return;
    if (status != kStatusWon && status != kStatusLost) return;
    if (parts_.sources.prototype) {
        keepGoing_ = false;
    } else if (status == kStatusWon) {
        frontend.acceptResult();
    } else {
        frontend.screen = frontend.skirmish ? Frontend::kSkirmishSetup : Frontend::kMissionSelection;
    }
    latchMenuButtons(frontend);
    look_.yaw = 0.0f;
    look_.pitch = 0.0f;
    requests.select = false;
    relativeMouse(false);
}

void FrameLoop::deploy(const Input& input) {
    Frontend& frontend = parts_.state.frontend;
    if (!frontend.skirmish) {
        frontend.progression.selectedMission = frontend.missionCursor;
        frontend.progression.loadout = frontend.loadout;
        save();
    }
    buildWorld();
    debriefShown_ = false;
    look_.yaw = 0.0f;
    look_.pitch = 0.0f;
    frontend.screen = Frontend::kPlaying;
    frontend.resultLine.clear();
    frontend.secondResultLine.clear();
    parts_.world.pilot.pingLatch[0] = input.ping[0];
    parts_.world.pilot.pingLatch[1] = input.ping[1];
    takeLatches(latches_, input, 8);
    relativeMouse(true);
}

void FrameLoop::applyVolumes(float sound, float music) {
    Frontend& frontend = parts_.state.frontend;
    if (!differs(sound, frontend.soundVolume) && !differs(music, frontend.musicVolume)) return;
    parts_.audio.setVolumes(frontend.soundVolume, frontend.musicVolume);
    ClientConfig& config = parts_.state.config;
    config.soundVolume = frontend.soundVolume;
    config.musicVolume = frontend.musicVolume;
    try {
        config.saveAudio(parts_.state.configPath);
        frontend.audioLine = "AUDIO SETTINGS SAVED";
    } catch (const std::exception& error) {
        frontend.audioLine = "AUDIO SETTINGS NOT SAVED";
        parts_.err << "Audio settings: " << error.what() << '\n';
    }
}

// The other requests are carried out by the front-end request handling.
void FrameLoop::carryOutRequest() {
    Frontend& frontend = parts_.state.frontend;
    const Frontend::Request request = frontend.request;
    frontend.request = Frontend::kNone;
    if (request == Frontend::kQuit) keepGoing_ = false;
}

void FrameLoop::stepSinglePlayer(Input& input, float dt) {
    Frontend& frontend = parts_.state.frontend;
    World& world = parts_.world;
    if (frontend.screen != Frontend::kPlaying) {
        world.resetTracking();
        return;
    }
    applyLatches(latches_, input, 6);
    world.step(input, dt, true);
    if (recordMissionResult(frontend, world, input, parts_.sources.prototype, debriefShown_, [this] { save(); })) {
        debriefShown_ = true;
        world.resetTracking();
        relativeMouse(false);
    }
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
        loadSelectedMission(fresh, frontend, parts_.sources, skirmishRecipe_);
        parts_.world = std::move(fresh);
        parts_.out << "Ejection demo: new demonstration cycle\n" << std::flush;
        ejectionDemoTimer_ = 0.0f;
    }
}

void FrameLoop::draw() {
    int width = 0;
    int height = 0;
    parts_.window.drawableSize(width, height);
    if (width <= 0 || height <= 0) return;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);
    const Frontend& frontend = parts_.state.frontend;
    const vant::Matrix camera = desktopCamera(parts_.world, frontend, look_.yaw, look_.pitch);
    parts_.renderer.draw(parts_.world, desktopProjection(width, height), camera, camera, !windowFocused_, &frontend);
}

bool FrameLoop::frame() {
    Startup& state = parts_.state;
    Frontend& frontend = state.frontend;
    World& world = parts_.world;
    const CommandLine& options = state.options;

    FrameRequests requests = pumpEvents();
    if (!requests.running) return false;

    Input input = desktopInput(readHeldKeys(), look_, windowFocused_, frontend.screen);

    const auto now = std::chrono::steady_clock::now();
    const float dt = static_cast<float>(std::chrono::duration_cast<std::chrono::nanoseconds>(now - previous_).count()) /
                     1e9f;

    if (frontend.screen == Frontend::kPlaying) applyLatches(latches_, input, 8);

    selectAfterMissionEnd(input, requests);

    const float soundBefore = frontend.soundVolume;
    const float musicBefore = frontend.musicVolume;
    const int screenBefore = frontend.screen;
    if (frontend.update(input, dt, requests.select, requests.back)) deploy(input);
    applyVolumes(soundBefore, musicBefore);
    carryOutRequest();

    if (screenBefore == Frontend::kMissionMenu && frontend.screen == Frontend::kPlaying) {
        takeLatches(latches_, input, 6);
        relativeMouse(true);
    }

    stepSinglePlayer(input, dt);

    if (!options.ejectionDemo && options.ejectionPreview < 0.0f && frontend.handleFailure(world, input)) {
        if (parts_.sources.prototype) keepGoing_ = false;
        world.pilot.missile.active = false;
        world.resetTracking();
        look_.yaw = 0.0f;
        look_.pitch = 0.0f;
        takeLatches(latches_, input, 6);
        relativeMouse(false);
    }

    if (options.ejectionDemo) stepEjectionDemo(input, dt);
    if (options.healthPreview >= 0.0f) parts_.world.pilot.health = options.healthPreview;

    const bool playing = frontend.screen == Frontend::kPlaying;
    parts_.audio.update(parts_.world, playing && input.focused, !playing && input.focused);

    draw();
    ++frameCount_;
    if (!options.screenshot.empty() && frameLimit_ != 0 && frameCount_ == frameLimit_) {
        int width = 0;
        int height = 0;
        parts_.window.drawableSize(width, height);
        saveScreenshot(options.screenshot, width, height);
    }
    if (glGetError() != GL_NO_ERROR) throw std::runtime_error("OpenGL frame error");
    SDL_GL_SwapWindow(parts_.window.window());
    if (!keepGoing_) return false;
    previous_ = now;
    return true;
}

}  // namespace bastion
