#include "render/gl_window.h"

#include <stdexcept>
#include <string>

#include <GL/glew.h>
#include <SDL.h>

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
        glewExperimental = GL_TRUE;
        const GLenum status = glewInit();
        if (status != GLEW_OK) {
            throw std::runtime_error(std::string("glewInit: ") +
                                     reinterpret_cast<const char*>(glewGetErrorString(status)));
        }
        // GLEW may leave an error behind while probing a core context.
        while (glGetError() != GL_NO_ERROR) {
        }
    }

    ~GlWindow() {
        if (context_ != nullptr) SDL_GL_DeleteContext(context_);
        if (window_ != nullptr) SDL_DestroyWindow(window_);
        SDL_Quit();
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

void requireGlContext() { static const GlWindow window; }

}  // namespace bastion::testing_support
