#include "shell/command_line.h"

#include <cmath>
#include <stdexcept>

#include "shell/shared/player_name.h"

namespace bastion {
namespace {

constexpr std::string_view kSeedError = "Seed must be an unsigned 32-bit integer";

struct ScreenName {
    std::string_view name;
    int screen;
};

constexpr ScreenName kScreens[] = {
    {"title", 0},     {"campaign", 1}, {"missions", 8}, {"briefing", 9},
    {"loadout", 10},  {"playing", 11}, {"skirmish", 14},
};

// Hands out the arguments in order; a value-taking option that is the last
// argument is incomplete.
class ArgumentCursor {
public:
    explicit ArgumentCursor(std::span<const std::string> args) : args_(args) {}

    bool done() const { return next_ >= args_.size(); }
    const std::string& take() { return args_[next_++]; }
    const std::string& value(const std::string& option) {
        if (done()) {
            throw std::runtime_error("Unknown or incomplete option: " + option);
        }
        return take();
    }

private:
    std::span<const std::string> args_;
    std::size_t next_ = 0;
};

}  // namespace

std::string_view difficultyText(int difficulty) { return difficulty == 1 ? "hard" : "normal"; }

u32 parseSeed(std::string_view text) {
    if (text.empty()) {
        throw std::runtime_error(std::string(kSeedError));
    }
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            throw std::runtime_error(std::string(kSeedError));
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > 0xFFFFFFFFull) {
            throw std::runtime_error(std::string(kSeedError));
        }
    }
    return static_cast<u32>(value);
}

std::optional<std::filesystem::path> scanConfigPath(std::span<const std::string> args) {
    std::optional<std::filesystem::path> path;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--config") {
            continue;
        }
        if (i + 1 >= args.size()) {
            throw std::runtime_error("Missing --config path");
        }
        path = args[++i];
    }
    return path;
}

CommandLine parseCommandLine(std::span<const std::string> args) {
    CommandLine options;
    ArgumentCursor cursor(args);
    while (!cursor.done()) {
        const std::string& option = cursor.take();
        if (option == "--desktop") {
            options.xr = false;
        } else if (option == "--xr") {
            options.xr = true;
        } else if (option == "--fixture") {
            options.fixture = true;
        } else if (option == "--sandbox") {
            options.sandbox = true;
        } else if (option == "--config") {
            cursor.value(option);  // taken by the scan before the configuration was loaded
        } else if (option == "--server") {
            options.server = cursor.value(option);
        } else if (option == "--name") {
            options.playerName = validatePlayerName(cursor.value(option));
        } else if (option == "--join") {
            options.joinCode = cursor.value(option);
        } else if (option == "--host") {
            options.host = true;
        } else if (option == "--difficulty") {
            const std::string& value = cursor.value(option);
            if (value != "normal" && value != "hard") {
                throw std::runtime_error("Difficulty must be normal or hard");
            }
            options.difficulty = value == "hard" ? 1 : 0;
            options.difficultyChosen = true;
        } else if (option == "--save") {
            options.savePath = cursor.value(option);
        } else if (option == "--retail") {
            options.retail = std::filesystem::path(cursor.value(option));
        } else if (option == "--screen") {
            const std::string& value = cursor.value(option);
            const ScreenName* found = nullptr;
            for (const ScreenName& entry : kScreens) {
                if (entry.name == value) {
                    found = &entry;
                }
            }
            if (found == nullptr) {
                throw std::runtime_error("Invalid --screen");
            }
            options.screen = found->screen;
            options.screenChosen = true;
        } else if (option == "--mission") {
            const int mission = std::stoi(cursor.value(option));
            if (mission < 1 || mission > 20) {
                throw std::runtime_error("Mission must be 1..20");
            }
            options.missionCursor = mission - 1;
            options.missionChosen = true;
        } else if (option == "--frames") {
            const int frames = std::stoi(cursor.value(option));
            if (frames < 1) {
                throw std::runtime_error("--frames must be positive");
            }
            options.frames = frames;
        } else if (option == "--screenshot") {
            options.screenshot = cursor.value(option);
        } else if (option == "--campaign") {
            const std::string& value = cursor.value(option);
            if (value == "sb1" || value == "sb2") {
                options.campaign = value == "sb2" ? 1 : 0;
                options.skirmish = false;
            } else if (value == "skirmish") {
                options.skirmish = true;
            } else {
                throw std::runtime_error("Campaign must be sb1, sb2 or skirmish");
            }
            options.campaignChosen = true;
        } else if (option == "--skirmish-seed") {
            // Whether this switches skirmish on is left to the cross-checks,
            // so the order against "--campaign" does not matter.
            options.skirmishSeed = parseSeed(cursor.value(option));
        } else if (option == "--mission-prototype") {
            options.prototypeSeed = parseSeed(cursor.value(option));
            options.prototype = true;
        } else if (option == "--procedural-layout") {
            options.proceduralLayout = cursor.value(option);
        } else if (option == "--ejection-demo") {
            options.ejectionDemo = true;
        } else if (option == "--ejection-preview") {
            options.ejectionPreview = std::stof(cursor.value(option));
        } else if (option == "--health-preview") {
            const float health = std::stof(cursor.value(option));
            if (!std::isfinite(health) || health < 0.0f || health > 100.0f) {
                throw std::runtime_error("Health preview must be 0..100");
            }
            options.healthPreview = health + 0.0f;  // negative zero becomes 0
        } else if (option == "--help") {
            options.help = true;
            break;
        } else {
            throw std::runtime_error("Unknown or incomplete option: " + option);
        }
    }
    return options;
}

std::string_view helpText() {
    return "stormbastion-xr [--desktop|--xr] [--fixture] [--sandbox] [--save PATH] [--retail PATH] "
           "[--frames N] [--screenshot FILE.ppm] "
           "[--screen title|campaign|skirmish|missions|briefing|loadout|playing] "
           "[--campaign sb1|sb2|skirmish] [--skirmish-seed N] [--mission N] "
           "[--ejection-preview SECONDS] [--ejection-demo] [--config FILE] [--name NAME] "
           "[--server HOST:PORT] [--host|--join CODE] [--difficulty normal|hard] "
           "[--mission-prototype SEED | --procedural-layout FILE]\n"
           "W/S move, A/D steer chassis; arrows turn torso (+/-90 degrees); mouse aims.\n"
           "Map pings: G identifies self, H marks head-aimed target (XR left/right grip).\n"
           "Left/right mouse: hands. 1/2: shoulders (Y/B). 3/4: hips (X/A, equipped hip weapon).\n"
           "Menus: arrows/stick browse, Enter/right trigger select, mount buttons equip, "
           "Enter/menu deploy.\n"
           "Escape returns to menus, Q/E punch, R recenter, Ctrl+W quit.\n"
           "Hold Z/C + mouse to aim left/right arm; Shift translates, Alt rolls, wheel adjusts depth.\n";
}

}  // namespace bastion
