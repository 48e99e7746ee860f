#include <cstdio>
#include <exception>

#include "world/world.h"

int main(int argc, char** argv) {
    (void)argc;
    (void)argv;
    try {
        bastion::World world;
        std::printf("Stormbastion XR: %zu targets on the test range\n", world.targets.size());
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "Stormbastion XR: %s\n", error.what());
        return 1;
    }
}
