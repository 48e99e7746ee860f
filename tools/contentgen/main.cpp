// stormbastion-content <output-folder>: writes the demo content tree, an
// original stand-in for content decoded from a cartridge, into the retail
// folder given and the system folder beside it.
#include <exception>
#include <iostream>

#include "contentgen/content_tree.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "Usage: stormbastion-content <output-folder>\n";
        return 2;
    }
    try {
        bastion::contentgen::writeContentTree(argv[1]);
        bastion::contentgen::writeSystemFolder(argv[1]);
    } catch (const std::exception& error) {
        std::cerr << "stormbastion-content: " << error.what() << '\n';
        return 1;
    }
    std::cout << "Demo content written to " << argv[1] << '\n';
    return 0;
}
