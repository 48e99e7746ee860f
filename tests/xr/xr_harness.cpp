#include "xr_harness.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include <GL/glew.h>
#include <SDL.h>

#include "support/child_process.h"
#include "support/temp_folder.h"

namespace bastion::testing_support {
namespace {

SDL_Window* openWindow() {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) throw std::runtime_error(SDL_GetError());
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_Window* window = SDL_CreateWindow("xr tests", 0, 0, 200, 100, SDL_WINDOW_OPENGL);
    if (window == nullptr || SDL_GL_CreateContext(window) == nullptr) throw std::runtime_error(SDL_GetError());
    glewExperimental = GL_TRUE;
    glewInit();
    while (glGetError() != GL_NO_ERROR) {
    }
    return window;
}

}  // namespace

XrOutcome runXr(const TestRuntime& runtime, const std::function<std::string(vant::XR&, SDL_Window*)>& body,
                const std::vector<std::pair<std::string, std::string>>& overrides) {
    TempFolder scratch("xr-outcome");
    const std::filesystem::path file = scratch.path() / "outcome.json";
    const int code = runInChild([&] {
        runtime.applyEnvironment();
        for (const auto& [name, value] : overrides) ::setenv(name.c_str(), value.c_str(), 1);
        std::ostringstream captured;
        std::streambuf* old = std::cerr.rdbuf(captured.rdbuf());
        nlohmann::json outcome = {{"error", ""}, {"result", ""}};
        {
            SDL_Window* window = openWindow();
            vant::XR xr;
            try {
                xr.initialize(window);
                outcome["result"] = body(xr, window);
            } catch (const std::exception& error) {
                outcome["error"] = error.what();
            }
        }
        std::cerr.rdbuf(old);
        outcome["stderr"] = captured.str();
        std::ofstream(file) << outcome.dump();
        return 0;
    });
    if (code != 0) throw std::runtime_error("xr child failed with " + std::to_string(code));
    std::ifstream in(file);
    const nlohmann::json outcome = nlohmann::json::parse(in);
    return {outcome["error"], outcome["stderr"], outcome["result"]};
}

}  // namespace bastion::testing_support
