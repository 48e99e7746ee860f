// Opens and closes the game's window and checks for leaks, as a run of the
// game does, and with the argument "leak" also loses a block of its own: the
// sanitized build must then fail however the graphics driver's blocks are
// suppressed.
#include <cstring>
#include <exception>
#include <iostream>

#include "platform/leak_checks.h"
#include "shell/game_window.h"

namespace {

char* volatile lastBlock = nullptr;

[[gnu::noinline]] void loseABlock() {
    lastBlock = new char[96];
    std::memset(lastBlock, 1, 96);
    lastBlock = nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        { bastion::GameWindow window("Leak probe", false); }
        if (argc > 1 && std::strcmp(argv[1], "leak") == 0) loseABlock();
    } catch (const std::exception& error) {
        std::cerr << "Leak probe: " << error.what() << '\n';
        return 2;
    }
    // Where the game checks too: everything released, before exit.
    bastion::platform::checkLeaksNow();
    return 0;
}
