#include <algorithm>
#include <string>

#include "shell/frontend/frontend.h"
#include "shell/frontend/internal/menu_press.h"

namespace bastion {
namespace {

constexpr int kSkirmishRows = 11;
constexpr int kSeedRow = 8;
constexpr int kStartRow = 9;
constexpr int kBackRow = 10;
constexpr int kSkirmishOnCampaignScreen = 2;

constexpr std::array<const char*, 3> kObjectiveNames = {"ELIMINATE", "STRIKE", "RECON"};

// The option `step` places after `current`, wrapping; an unknown value counts as the first.
template <std::size_t N>
std::string stepOption(const std::string& current, const std::array<std::string_view, N>& options, int step) {
    const auto found = std::find(options.begin(), options.end(), current);
    const int index = found == options.end() ? 0 : static_cast<int>(found - options.begin());
    return std::string(options[static_cast<std::size_t>(wrap(index + step, static_cast<int>(N)))]);
}

void changeSetting(SkirmishSettings& settings, int row, int step) {
    switch (row) {
    case 0:
        settings.objective = wrap(std::clamp(settings.objective, 0, 2) + step, 3);
        break;
    case 1:
        settings.terrain = stepOption(settings.terrain, skirmishTerrainOptions, step);
        break;
    case 2:
        settings.water = stepOption(settings.water, skirmishWaterOptions, step);
        break;
    case 3:
        settings.mapBlocks = std::clamp(settings.mapBlocks + step, 2, 8);
        break;
    case 4:
        settings.sceneryDensity = std::clamp(settings.sceneryDensity + step, 1, 16);
        break;
    case 5:
        settings.groundUnitsPerZone = std::clamp(settings.groundUnitsPerZone + step, 1, 12);
        break;
    case 6:
        settings.airUnits = std::clamp(settings.airUnits + step, 0, 8);
        break;
    case 7:
        settings.extraction = !settings.extraction;
        break;
    case kSeedRow:
        settings.seed = rerollSeed(settings.seed);
        break;
    }
}

}  // namespace

void updateSkirmishSetup(Frontend& menu, const MenuPress& press) {
    menu.skirmish = true;
    menu.coopActive = false;
    menu.host = false;
    menu.cursorRow = std::clamp(menu.cursorRow, 0, kSkirmishRows - 1);

    if (press.backEdge || (press.activate && menu.cursorRow == kBackRow)) {
        menu.skirmish = false;
        menu.statusLine.clear();
        menu.screen = Frontend::kCampaignChoice;
        menu.menuMode = 1;
        menu.cursorRow = kSkirmishOnCampaignScreen;
        return;
    }

    const int rowBefore = menu.cursorRow;
    const bool sideways = press.stickPush && horizontalPush(press);
    if (press.stickPush && !sideways)
        menu.cursorRow = wrap(menu.cursorRow + (press.stickY > 0.0f ? -1 : 1), kSkirmishRows);

    if (sideways || (press.activate && rowBefore < kStartRow))
        changeSetting(menu.skirmishSettings, menu.cursorRow, sideways && press.stickX < 0.0f ? -1 : 1);

    if (press.activate && menu.cursorRow == kStartRow) menu.request = Frontend::kStartSkirmish;
}

std::array<std::string, 11> Frontend::skirmishRows() const {
    const SkirmishSettings& s = skirmishSettings;
    const std::string blocks = std::to_string(s.mapBlocks);
    return {
        std::string("OBJECTIVE: ") + kObjectiveNames[static_cast<std::size_t>(std::clamp(s.objective, 0, 2))],
        "TERRAIN: " + s.terrain,
        "WATER: " + s.water,
        "MAP: " + blocks + " X " + blocks + " BLOCKS",
        "SCENERY DENSITY: " + std::to_string(s.sceneryDensity),
        "GROUND / ZONE: " + std::to_string(s.groundUnitsPerZone),
        "AIR UNITS: " + std::to_string(s.airUnits),
        std::string("EXTRACTION: ") + (s.extraction ? "YES" : "NO"),
        "SEED: " + std::to_string(s.seed) + " / REROLL",
        "START SKIRMISH",
        "BACK",
    };
}

}  // namespace bastion
