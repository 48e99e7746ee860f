#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <span>
#include <string>

#include "shell/client_config.h"
#include "shell/command_line.h"
#include "shell/frontend/frontend.h"

namespace bastion {

// What the program entry holds from start-up until shutdown, in the order it
// is made; the front end comes first so that it is released last.
struct Startup {
    Frontend frontend;
    std::filesystem::path retail;
    ClientConfig config;
    std::filesystem::path configPath;
    CommandLine options;
    std::string server;
    std::string playerName;
    std::string windowTitle;
    std::filesystem::path savePath;  // empty in sandbox play
};

// Where the program looks for its content and settings before any option is
// read.
struct StartupPlaces {
    std::optional<std::filesystem::path> programFolder;
    std::filesystem::path installedRetail;
};

// Start-up up to the point where the window opens: retail folder, client
// configuration, options and their cross-checks, the imported-cartridge check,
// the campaign rules and the campaign save. Writes the help text or the
// cartridge's module and status lines to `out`. Returns false when "--help"
// ended the run.
bool startUp(Startup& state, std::span<const std::string> args, const StartupPlaces& places, std::ostream& out);

}  // namespace bastion
