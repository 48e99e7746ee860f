#include "shell/game_window.h"

#include <stdexcept>

#include <SDL.h>

#include "platform/leak_checks.h"
#include "render/gl_functions.h"

namespace bastion {
namespace {

[[noreturn]] void failWithSdl() { throw std::runtime_error(SDL_GetError()); }

}  // namespace

GameWindow::GameWindow(const std::string& title, bool headset) {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        const std::runtime_error error(SDL_GetError());
        SDL_Quit();
        throw error;
    }
    try {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
        window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 1280, 800,
                                   SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
        if (window_ == nullptr) failWithSdl();
        context_ = SDL_GL_CreateContext(window_);
        if (context_ == nullptr) failWithSdl();
        loadGlFunctions();
        SDL_GL_SetSwapInterval(headset ? 0 : 1);
    } catch (...) {
        release();
        throw;
    }
}

GameWindow::~GameWindow() { release(); }

void GameWindow::release() {
    // SDL_Quit unloads the graphics driver, which the leak checker at exit
    // would then blame for the blocks it keeps.
    platform::keepLoadedLibrariesForLeakChecks();
    if (context_ != nullptr) SDL_GL_DeleteContext(context_);
    if (window_ != nullptr) SDL_DestroyWindow(window_);
    context_ = nullptr;
    window_ = nullptr;
    SDL_Quit();
}

void GameWindow::drawableSize(int& width, int& height) const { SDL_GL_GetDrawableSize(window_, &width, &height); }

}  // namespace bastion
