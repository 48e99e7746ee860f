#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <GL/glew.h>
#include <benchmark/benchmark.h>

#include "demo_tree.h"
#include "render/internal/cockpit_frame.h"
#include "render/renderer.h"
#include "support/gl/desktop_projection.h"
#include "support/gl/gl_window.h"
#include "support/gl/offscreen_target.h"
#include "world/world.h"

namespace {

using bastion::testing_support::desktopProjection;

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

// What a playing view shows.
enum Scene : int64_t {
    kDemoRange,       // the default World's range
    kEmpty,           // sky, horizon, a bare ground plate and the cockpit
    kBusiest,         // the demo mission with the most mesh vertices in play
    kBusiestInBattle, // the same with shots, shells, explosions, smoke, sparks and debris
};

// Mesh vertices in play: the ground and the standing targets.
std::size_t verticesInPlay(const bastion::World& world) {
    std::size_t vertices = world.terrain.size();
    for (const bastion::Target& target : world.targets)
        if (target.active && !target.hidden && target.mesh) vertices += target.mesh->size();
    return vertices;
}

// Forty effects of every drawn kind and twenty projectiles before the pilot.
void addBattle(bastion::World& world) {
    const bastion::Vec3 ahead = world.pilot.position + bastion::Vec3{0.0f, 6.0f, -40.0f};
    for (int i = 0; i < 40; ++i) {
        bastion::WeaponEffect effect;
        const int kinds[] = {bastion::WeaponEffect::kExplosion, bastion::WeaponEffect::kSmoke,
                             bastion::WeaponEffect::kSpark, bastion::WeaponEffect::kDebris};
        effect.kind = static_cast<bastion::WeaponEffect::Kind>(kinds[i % 4]);
        effect.position = ahead + bastion::Vec3{static_cast<float>(i % 8) * 4.0f - 16.0f, 0.0f,
                                                -static_cast<float>(i / 8) * 6.0f};
        effect.age = 0.05f * static_cast<float>(i % 10);
        effect.size = 6.0f;
        effect.model = i % 4;
        world.effects.push_back(effect);
    }
    for (int i = 0; i < 20; ++i) {
        bastion::Projectile shot;
        shot.kind = static_cast<bastion::ProjectileKind>(i % 3);
        shot.weapon = static_cast<bastion::Weapon>(1 + i % 12);
        shot.position = ahead + bastion::Vec3{static_cast<float>(i) - 10.0f, 2.0f, -10.0f};
        shot.velocity = {0.0f, 0.0f, -80.0f};
        world.projectiles.push_back(shot);
    }
}

bastion::World sceneWorld(Scene scene) {
    if (scene == kDemoRange) return bastion::World();
    if (scene == kEmpty) {
        bastion::World world;
        world.targets.clear();
        return world;
    }
    bastion::World world;
    static const bastion::bench::DemoMission busiest = bastion::bench::topDemoMission(verticesInPlay);
    world.loadMission(bastion::bench::demoTreeRoot(), busiest.mission, busiest.campaign, true);
    if (scene == kBusiestInBattle) addBattle(world);
    return world;
}

const char* sceneName(Scene scene) {
    const char* names[] = {"demo range", "empty", "busiest mission", "busiest mission in battle"};
    return names[scene];
}

// The playing view as the desktop shows it: the camera at the pilot's eye
// along the torso, the desktop projection, the horizon, the three slices,
// the cockpit with its lamps and instruments, and the aim marker. Real time
// includes llvmpipe's fill work on its own threads; CPU time is the calling
// thread's: the renderer and the driver's command work.
void BM_PlayingView(benchmark::State& state) {
    std::unique_ptr<bastion::Renderer> renderer;
    std::unique_ptr<bastion::testing_support::OffscreenTarget> target;
    if (!prepare(state, renderer, target)) return;
    const Scene scene = static_cast<Scene>(state.range(0));
    const bastion::World world = sceneWorld(scene);
    const vant::Matrix camera = bastion::cockpitFrame(world.pilot);
    const vant::Matrix projection = desktopProjection();
    renderer->draw(world, projection, camera, camera, false, nullptr);
    for (auto _ : state) {
        renderer->draw(world, projection, camera, camera, false, nullptr);
        glFinish();
    }
    state.SetLabel(std::string(sceneName(scene)) + ", " + reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
}
BENCHMARK(BM_PlayingView)
    ->Arg(kDemoRange)
    ->Arg(kEmpty)
    ->Arg(kBusiest)
    ->Arg(kBusiestInBattle)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The world layer alone, its three slices as the scene draws them, issued
// without waiting for the GPU: the calling thread's cost of the world.
void BM_WorldLayerSubmit(benchmark::State& state) {
    std::unique_ptr<bastion::Renderer> renderer;
    std::unique_ptr<bastion::testing_support::OffscreenTarget> target;
    if (!prepare(state, renderer, target)) return;
    const Scene scene = static_cast<Scene>(state.range(0));
    const bastion::World world = sceneWorld(scene);
    const vant::Matrix camera = bastion::cockpitFrame(world.pilot);
    const vant::Matrix projection = desktopProjection();
    renderer->draw(world, projection, camera, camera, false, nullptr);
    target->bindAndClear(0, 0, 0);
    glUseProgram(renderer->basicProgram);
    glBindVertexArray(renderer->cubeVertexArray);
    renderer->viewMatrix = vant::rigidInverse(camera);
    renderer->sliceCulling = true;
    constexpr float kSlices[3][2] = {{512.0f, 3000.0f}, {64.0f, 512.0f}, {0.75f, 64.0f}};
    int frames = 0;
    for (auto _ : state) {
        for (const auto& slice : kSlices) {
            renderer->sliceNear = slice[0];
            renderer->sliceFar = slice[1];
            renderer->frameMatrix = vant::multiply(projection, renderer->viewMatrix);
            renderer->drawWorldLayer(world, camera, false, nullptr);
        }
        // Keep the driver's queue from growing without bound, off the clock.
        if (++frames % 16 == 0) {
            state.PauseTiming();
            glFinish();
            state.ResumeTiming();
        }
    }
    glFinish();
    state.SetLabel(std::string(sceneName(scene)) + ", " + reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
}
BENCHMARK(BM_WorldLayerSubmit)->Arg(kEmpty)->Arg(kBusiest)->Arg(kBusiestInBattle)->Unit(benchmark::kMicrosecond);

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
    renderer->frameMatrix = vant::multiply(desktopProjection(), vant::translation(0.0f, -6.0f, 0.0f));
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
