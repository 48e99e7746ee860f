#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "world/math.h"
#include "world/world.h"

namespace bastion {

// Everything the command line chooses, plus what the cross-checks settle from
// it. Values marked "front end" are handed to `Frontend` at start-up.
struct CommandLine {
    bool xr = false;
    bool fixture = false;
    bool sandbox = false;  // front end
    std::optional<std::string> server;      // replaces the configured one
    std::optional<std::string> playerName;  // already validated and trimmed
    std::string joinCode;
    bool host = false;
    int difficulty = 0;  // front end
    bool difficultyChosen = false;
    std::filesystem::path savePath;
    std::optional<std::filesystem::path> retail;
    int frames = 0;  // 0: no frame limit
    std::string screenshot;
    int screen = 0;  // front end
    bool screenChosen = false;
    int missionCursor = 0;  // front end
    bool missionChosen = false;
    int campaign = 0;  // front end
    bool campaignChosen = false;
    bool skirmish = false;  // front end
    std::optional<u32> skirmishSeed;
    bool ejectionDemo = false;
    float ejectionPreview = -1.0f;  // negative: off
    float healthPreview = -1.0f;    // negative: off
    u32 prototypeSeed = 0;
    bool prototype = false;
    std::filesystem::path proceduralLayout;
    bool help = false;  // "--help" was reached; later arguments were not read

    // Settled by the cross-checks for prototype and skirmish starts.
    std::optional<Loadout> loadout;
    std::string statusLine;
};

// "hard" for difficulty 1, else "normal".
std::string_view difficultyText(int difficulty);

// Decimal digits only, at most 4294967295; anything else throws.
u32 parseSeed(std::string_view text);

// The "--config" path, scanned before the client configuration is loaded; the
// last one wins.
std::optional<std::filesystem::path> scanConfigPath(std::span<const std::string> args);

// The main option pass over the arguments after the program name. Stops at
// "--help" (setting `help`), so values before it are still checked.
CommandLine parseCommandLine(std::span<const std::string> args);

// The usage and key help, seven lines, each ending in a line feed.
std::string_view helpText();

}  // namespace bastion
