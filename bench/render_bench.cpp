#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <GL/glew.h>
#include <benchmark/benchmark.h>

#include "demo_tree.h"
#include "render/cockpit_frame.h"
#include "render/renderer.h"
#include "support/gl/gl_window.h"
#include "support/gl/offscreen_target.h"
#include "world/world.h"

namespace {

// A renderer on the demo tree and a 1280 x 800 caller framebuffer; false
// after reporting why when no GL context can be had.
bool prepare(benchmark::State& state, std::unique_ptr<bastion::Renderer>& renderer,
             std::unique_ptr<bastion::testing_support::OffscreenTarget>& target) {
    try {
        bastion::testing_support::requireGlContext();
        renderer = std::make_unique<bastion::Renderer>(bastion::bench::demoTreeRoot() / "cockpit");
        target = std::make_unique<bastion::testing_support::OffscreenTarget>(1280, 800);
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
        return false;
    }
    state.SetLabel(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    target->bindAndClear(0, 0, 0);
    return true;
}

// One desktop view of the default World at 1280 x 800, resolved into a
// caller framebuffer and finished on the GPU each time.
void BM_RendererDraw(benchmark::State& state) {
    std::unique_ptr<bastion::Renderer> renderer;
    std::unique_ptr<bastion::testing_support::OffscreenTarget> target;
    if (!prepare(state, renderer, target)) return;
    const bastion::World world;
    // The first view allocates the multisample target; time the steady state.
    renderer->draw(world, vant::identity, vant::identity, vant::identity, false, nullptr);
    for (auto _ : state) {
        renderer->draw(world, vant::identity, vant::identity, vant::identity, false, nullptr);
        glFinish();
    }
}
// The GL driver may render on threads of its own: measure wall time.
BENCHMARK(BM_RendererDraw)->Unit(benchmark::kMillisecond)->UseRealTime();

// The playing view as the desktop shows it: the camera at the pilot's eye
// along the torso, the desktop projection, the horizon, the three slices,
// the cockpit with its lamps and instruments, and the aim marker.
void BM_PlayingView(benchmark::State& state) {
    std::unique_ptr<bastion::Renderer> renderer;
    std::unique_ptr<bastion::testing_support::OffscreenTarget> target;
    if (!prepare(state, renderer, target)) return;
    const bastion::World world;
    const vant::Matrix camera = bastion::cockpitFrame(world.pilot);
    vant::Matrix projection{};
    projection[0] = 1.0f / (0.7602044f * 1280.0f / 800.0f);
    projection[5] = 1.3154358f;
    projection[10] = -1.0000333f;
    projection[11] = -1.0f;
    projection[14] = -0.10000167f;
    renderer->draw(world, projection, camera, camera, false, nullptr);
    for (auto _ : state) {
        renderer->draw(world, projection, camera, camera, false, nullptr);
        glFinish();
    }
}
BENCHMARK(BM_PlayingView)->Unit(benchmark::kMillisecond)->UseRealTime();

// Four co-op walkers in mid-stride ahead of the camera, posed and drawn part
// by part: the CPU time a frame spends on them (the GPU's fill work is left
// out: nothing waits for it).
void BM_FourWalkers(benchmark::State& state) {
    std::unique_ptr<bastion::Renderer> renderer;
    std::unique_ptr<bastion::testing_support::OffscreenTarget> target;
    if (!prepare(state, renderer, target)) return;
    std::vector<bastion::Pilot> pilots(4);
    for (std::size_t i = 0; i < pilots.size(); ++i) {
        pilots[i].position = {-12.0f + 8.0f * static_cast<float>(i), 0.0f, -30.0f};
        pilots[i].gait = 3.0f * static_cast<float>(i);
        pilots[i].walk_speed = 1.5f;
        pilots[i].angles[1] = 0.2f * static_cast<float>(i);
    }
    vant::Matrix projection{};
    projection[0] = 1.0f / (0.7602044f * 1280.0f / 800.0f);
    projection[5] = 1.3154358f;
    projection[10] = -1.0000333f;
    projection[11] = -1.0f;
    projection[14] = -0.10000167f;
    renderer->frameMatrix = vant::multiply(projection, vant::translation(0.0f, -6.0f, 0.0f));
    for (auto _ : state) {
        for (bastion::Pilot& pilot : pilots) {
            pilot.gait += 0.1f;
            renderer->drawStormer(pilot, 0.0f);
        }
    }
    glFinish();
}
BENCHMARK(BM_FourWalkers)->Unit(benchmark::kMicrosecond);

}  // namespace
