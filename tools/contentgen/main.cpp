// stormbastion-content <output-folder>: writes the demo content tree, an
// original stand-in for content decoded from a cartridge, into the retail
// folder given and the system folder beside it.
#include <iostream>
#include <string>
#include <vector>

#include "contentgen/command.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return bastion::contentgen::runContentCommand(args, std::cout, std::cerr);
}
