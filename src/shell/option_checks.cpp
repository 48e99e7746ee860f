#include "shell/option_checks.h"

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/regular_file.h"
#include "procedural/recipe_validation.h"

namespace bastion {
namespace {

constexpr int kSkirmishSetupScreen = 14;
constexpr int kPlayingScreen = 11;
constexpr Loadout kGeneratedMissionLoadout = {0, 1, 6, 7, 2, 5};

bool previewRequested(const CommandLine& options) {
    return options.ejectionDemo || options.ejectionPreview >= 0.0f || options.healthPreview >= 0.0f;
}

// The seed of the layout file; the layout must be a valid procedural recipe.
u32 readProceduralLayoutSeed(const std::filesystem::path& path) {
    platform::FileRefusal refusal{};
    const std::optional<std::string> text = platform::readRegularFile(path, kProceduralLayoutLimit, &refusal);
    if (!text && refusal == platform::FileRefusal::unreadable) {
        throw std::runtime_error("Missing procedural layout: " + path.string());
    }
    // A folder or pipe has no file size, as a missing file has none.
    if (!text) throw std::runtime_error("Missing or oversized procedural layout");
    const nlohmann::json recipe = nlohmann::json::parse(*text);
    validateProceduralRecipe(recipe);
    return recipe.at("seed").get<u32>();
}

u32 clockSeed() {
    const auto count = std::chrono::steady_clock::now().time_since_epoch().count();
    return foldClockSeed(static_cast<std::uint64_t>(count));
}

}  // namespace

u32 foldClockSeed(std::uint64_t count) {
    return static_cast<u32>(count) ^ static_cast<u32>(count >> 32);
}

void crossCheckOptions(CommandLine& options) {
    if (options.skirmishSeed) {
        if (options.campaignChosen && !options.skirmish) {
            throw std::runtime_error("Skirmish seed cannot select an SB1 or SB2 campaign");
        }
        options.skirmish = true;
    }

    if (!options.proceduralLayout.empty()) {
        if (options.prototype) {
            throw std::runtime_error("Choose --mission-prototype or --procedural-layout");
        }
        options.prototypeSeed = readProceduralLayoutSeed(options.proceduralLayout);
        options.prototype = true;
    }

    const bool coop = options.host || !options.joinCode.empty();
    if (options.prototype) {
        if (options.fixture || options.skirmish || coop || options.missionChosen ||
            previewRequested(options)) {
            throw std::runtime_error(
                "Mission prototype cannot combine with skirmish, fixture, co-op, mission selection or "
                "preview options");
        }
        options.sandbox = true;
        options.campaign = 1;
        options.screen = kPlayingScreen;
        options.missionCursor = 0;
        options.statusLine =
            "SEED " + std::to_string(options.prototypeSeed) + " / DESTROY ALL MARKED ENEMIES";
        options.loadout = kGeneratedMissionLoadout;
    } else if (options.skirmish) {
        if (options.fixture || coop || options.missionChosen || previewRequested(options)) {
            throw std::runtime_error(
                "Skirmish cannot combine with campaign mission selection, co-op or preview options");
        }
        if (!options.skirmishSeed) {
            options.skirmishSeed = clockSeed();
        }
        options.missionCursor = 0;
        if (options.screenChosen) {
            const int screen = options.screen;
            if (screen != 9 && screen != 10 && screen != kPlayingScreen && screen != kSkirmishSetupScreen) {
                throw std::runtime_error("Skirmish screen must be setup, briefing, loadout or playing");
            }
        } else {
            options.screen = kSkirmishSetupScreen;
        }
        options.loadout = kGeneratedMissionLoadout;
    } else if (options.screen == kSkirmishSetupScreen) {
        throw std::runtime_error("Skirmish setup requires --campaign skirmish");
    }

    if (!options.skirmish && (options.ejectionDemo || options.ejectionPreview >= 0.0f)) {
        options.screen = kPlayingScreen;
    }
}

}  // namespace bastion
