#include "shell/game.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

#include <SDL.h>

#include "audio/audio.h"
#include "render/renderer.h"
#include "shell/exit_summary.h"
#include "shell/frame_loop.h"
#include "shell/game_window.h"
#include "shell/startup.h"
#include "world/world.h"
#include "xr/xr.h"

namespace bastion {
namespace {

MissionSources missionSources(const Startup& state, std::ostream& out) {
    MissionSources sources;
    sources.retail = state.retail;
    sources.proceduralLayout = state.options.proceduralLayout;
    sources.prototype = state.options.prototype;
    sources.prototypeSeed = state.options.prototypeSeed;
    sources.fixture = state.options.fixture;
    sources.out = &out;
    return sources;
}

// Shows the ejection `preview` seconds in (at most 7).
void previewEjection(World& world, Frontend& frontend, float preview) {
    frontend.screen = Frontend::kPlaying;
    world.hurt(10000.0f);
    const float shown = std::min(preview, 7.0f);
    for (float time = 0.0f; time < shown; time += 0.01f) world.stepEjection(0.01f);
}

}  // namespace

void runGame(Startup& state, std::ostream& out, std::ostream& err) {
    const CommandLine& options = state.options;
    Frontend& frontend = state.frontend;

    GameWindow window(state.windowTitle, options.xr);
    Renderer renderer(state.retail / "cockpit");
    Audio audio(state.retail);
    audio.setVolumes(frontend.soundVolume, frontend.musicVolume);
    std::unique_ptr<vant::XR> xr;
    if (options.xr) {
        xr = std::make_unique<vant::XR>();
        xr->initialize(window.window());
        out << xr->description() << '\n';
    }

    World world;
    world.difficulty = frontend.difficulty;
    world.configure(frontend.loadout, renderer.armRig);
    FrameLoop loop(GameParts{state, window, renderer, audio, world, missionSources(state, out), out, err, xr.get()});
    if (frontend.screen == Frontend::kPlaying) loop.relativeMouse(true);
    loop.loadFirstMission();
    if (options.ejectionPreview >= 0.0f) previewEjection(world, frontend, options.ejectionPreview);
    if (options.host || !options.joinCode.empty()) loop.startCoop(options.host, options.joinCode);

    SDL_StartTextInput();
    const int frames = loop.run();
    out << exitSummary(frames, world) << std::flush;
}

}  // namespace bastion
