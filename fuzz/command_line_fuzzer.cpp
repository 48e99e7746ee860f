#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_files.h"
#include "shell/command_line.h"
#include "shell/option_checks.h"

// The input is the argument list after the program name, NUL between
// arguments; after a file separator comes the procedural layout that an
// argument "layout.json" names.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> pieces = bastion::fuzz::splitInput(data, size, bastion::fuzz::kFileSeparator);
    std::vector<std::string> args = bastion::fuzz::splitInput(
        reinterpret_cast<const std::uint8_t*>(pieces[0].data()), pieces[0].size(), std::string_view("\0", 1));
    const std::filesystem::path layout = bastion::fuzz::scratchFolder() / "layout.json";
    bastion::fuzz::writeOrRemove(layout, pieces, 1);
    for (std::string& arg : args) {
        if (arg == "layout.json") arg = layout.string();
    }
    bastion::fuzz::refuseOrPass([&] { bastion::scanConfigPath(args); });
    bastion::fuzz::refuseOrPass([&] {
        bastion::CommandLine options = bastion::parseCommandLine(args);
        bastion::crossCheckOptions(options);
    });
    return 0;
}
