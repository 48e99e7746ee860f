#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include <SDL.h>

#include "platform/leak_checks.h"
#include "shell/game.h"
#include "shell/retail_folder.h"
#include "shell/startup.h"

namespace {

int run(int argc, char** argv) {
    try {
        bastion::Startup state;
        const std::vector<std::string> args(argv + 1, argv + argc);
        const bastion::StartupPlaces places{bastion::programFolder(), bastion::installedRetailFolder()};
        if (!bastion::startUp(state, args, places, std::cout)) {
            return 0;
        }
        bastion::runGame(state, std::cout, std::cerr);
        return 0;
    } catch (const std::exception& error) {
        // Unwinding has already released everything start-up made, the
        // window and the OpenGL context included.
        std::cout.flush();
        std::cerr << "Stormbastion XR: " << error.what() << '\n';
        SDL_Quit();
        return 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int code = run(argc, argv);
    std::cout.flush();
    bastion::platform::checkLeaksNow();
    return code;
}
