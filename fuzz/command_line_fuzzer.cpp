#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_files.h"
#include "shell/command_line.h"

// The input is the argument list after the program name, NUL between
// arguments.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> args = bastion::fuzz::splitInput(data, size, std::string_view("\0", 1));
    bastion::fuzz::refuseOrPass([&] { bastion::scanConfigPath(args); });
    bastion::fuzz::refuseOrPass([&] { bastion::parseCommandLine(args); });
    return 0;
}
