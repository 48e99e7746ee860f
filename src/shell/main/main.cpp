#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include <SDL.h>

#include "shell/retail_folder.h"
#include "shell/startup.h"

int main(int argc, char** argv) {
    try {
        bastion::Startup state;
        const std::vector<std::string> args(argv + 1, argv + argc);
        const bastion::StartupPlaces places{bastion::programFolder(), bastion::installedRetailFolder()};
        if (!bastion::startUp(state, args, places, std::cout)) {
            return 0;
        }
        return 0;
    } catch (const std::exception& error) {
        // Unwinding has already released everything start-up made.
        std::cout.flush();
        std::cerr << "Stormbastion XR: " << error.what() << '\n';
        SDL_Quit();
        return 1;
    }
}
