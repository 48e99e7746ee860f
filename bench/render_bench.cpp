#include <unistd.h>

#include <exception>
#include <filesystem>
#include <memory>
#include <string>

#include <GL/glew.h>
#include <benchmark/benchmark.h>

#include "contentgen/content_tree.h"
#include "render/gl_window.h"
#include "render/offscreen_target.h"
#include "render/renderer.h"
#include "world/world.h"

namespace {

// The demo content tree in a private temp folder, removed afterwards.
class DemoTree {
public:
    DemoTree()
        : path_(std::filesystem::temp_directory_path() / ("render-bench-" + std::to_string(::getpid()))) {
        bastion::contentgen::writeContentTree(path_);
    }
    ~DemoTree() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    DemoTree(const DemoTree&) = delete;
    DemoTree& operator=(const DemoTree&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// One desktop view of the default World at 1280 x 800, resolved into a
// caller framebuffer and finished on the GPU each time.
void BM_RendererDraw(benchmark::State& state) {
    std::unique_ptr<bastion::Renderer> renderer;
    std::unique_ptr<bastion::testing_support::OffscreenTarget> target;
    const DemoTree tree;
    try {
        bastion::testing_support::requireGlContext();
        renderer = std::make_unique<bastion::Renderer>(tree.path() / "cockpit");
        target = std::make_unique<bastion::testing_support::OffscreenTarget>(1280, 800);
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
        return;
    }
    state.SetLabel(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    const bastion::World world;
    target->bindAndClear(0, 0, 0);
    // The first view allocates the multisample target; time the steady state.
    renderer->draw(world, vant::identity, vant::identity, vant::identity, false, nullptr);
    for (auto _ : state) {
        renderer->draw(world, vant::identity, vant::identity, vant::identity, false, nullptr);
        glFinish();
    }
}
// The GL driver may render on threads of its own: measure wall time.
BENCHMARK(BM_RendererDraw)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
