#include "support/gl/gl_window.h"

#include <stdexcept>
#include <string>

#include <SDL.h>

#include "platform/leak_checks.h"
#include "render/gl_functions.h"

namespace bastion::testing_support {
namespace {

class GlWindow {
public:
    GlWindow() {
        if (SDL_Init(SDL_INIT_VIDEO) != 0) fail("SDL_Init");
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        window_ = SDL_CreateWindow("render tests", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 64, 64,
                                   SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (window_ == nullptr) fail("SDL_CreateWindow");
        context_ = SDL_GL_CreateContext(window_);
        if (context_ == nullptr) fail("SDL_GL_CreateContext");
        loadGlFunctions();
    }

    GlWindow(const GlWindow&) = delete;
    GlWindow& operator=(const GlWindow&) = delete;

private:
    [[noreturn]] static void fail(const char* call) {
        throw std::runtime_error(std::string(call) + ": " + SDL_GetError());
    }

    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
};

}  // namespace

// The window and context live until the process ends: tearing them down
// would unload the GL driver, and the leak checker would then report the
// driver's remaining blocks, which no longer belong to any loaded module.
// The call also brings in the project's leak suppressions.
void requireGlContext() {
    static const GlWindow window;
    platform::keepLoadedLibrariesForLeakChecks();
}

}  // namespace bastion::testing_support
