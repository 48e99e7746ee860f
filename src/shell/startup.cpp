#include "shell/startup.h"

#include <stdexcept>

#include "shell/campaign_save_path.h"
#include "shell/imported_cartridge.h"
#include "shell/option_checks.h"
#include "shell/retail_folder.h"

namespace bastion {
namespace {

void loadClientConfig(Startup& state, std::span<const std::string> args) {
    state.configPath = ClientConfig::defaultPath();
    bool explicitPath = false;
    if (const auto chosen = scanConfigPath(args)) {
        state.configPath = *chosen;
        explicitPath = true;
    }
    state.config.load(state.configPath, explicitPath);
    state.config.environment();
    state.server = state.config.server;
    state.playerName = state.config.playerName;
    state.frontend.soundVolume = state.config.soundVolume;
    state.frontend.musicVolume = state.config.musicVolume;
}

void applyOptions(Startup& state) {
    const CommandLine& options = state.options;
    Frontend& frontend = state.frontend;
    if (options.server) {
        state.server = *options.server;
    }
    if (options.playerName) {
        state.playerName = *options.playerName;
    }
    frontend.sandbox = options.sandbox;
    frontend.difficulty = options.difficulty;
    frontend.screen = static_cast<Frontend::Screen>(options.screen);
    frontend.missionCursor = options.missionCursor;
    frontend.campaignRow = options.campaign;
    frontend.skirmish = options.skirmish;
    if (options.skirmish) {
        frontend.skirmishSettings.seed = *options.skirmishSeed;
    }
    if (options.loadout) {
        frontend.loadout = *options.loadout;
    }
    frontend.statusLine = options.statusLine;
}

bool previewForcesSandbox(const CommandLine& options) {
    return options.fixture || options.ejectionDemo || options.ejectionPreview >= 0.0f ||
           options.healthPreview >= 0.0f;
}

// Restores the saved campaign, keeping what the command line chose.
void loadCampaignSave(Startup& state) {
    Frontend& frontend = state.frontend;
    frontend.progression.load(campaignSavePath(state.savePath, frontend.campaignRow));
    frontend.restoreCampaign();
    if (!state.options.difficultyChosen) {
        frontend.difficulty = static_cast<int>(frontend.progression.difficulty);
    }
    if (state.options.missionChosen) {
        frontend.missionCursor = state.options.missionCursor;
    }
    const int cursor = frontend.missionCursor;
    if (cursor < 0 || cursor >= frontend.progression.rules.missionCount() ||
        !frontend.progression.missionAvailable(cursor)) {
        frontend.screen = Frontend::kMissionSelection;
    }
}

}  // namespace

bool startUp(Startup& state, std::span<const std::string> args, const StartupPlaces& places, std::ostream& out) {
    state.retail = chooseRetailFolder(places.programFolder, places.installedRetail);
    loadClientConfig(state, args);

    state.options = parseCommandLine(args);
    if (state.options.help) {
        out << helpText() << std::flush;
        return false;
    }
    if (state.options.retail) {
        state.retail = *state.options.retail;
    }
    crossCheckOptions(state.options);
    applyOptions(state);

    const CommandLine& options = state.options;
    Frontend& frontend = state.frontend;
    if (options.fixture) {
        state.windowTitle = "Stormbastion XR - native test range";
    } else {
        const ImportedCartridge cartridge = checkImportedCartridge(state.retail, supportedCartridgeDigest());
        out << cartridge.module << '\n' << cartridge.status << '\n' << std::flush;
        state.windowTitle = "Stormbastion XR - native missions / local cartridge";
    }

    if (previewForcesSandbox(options)) {
        frontend.sandbox = true;
    }
    if (!options.fixture) {
        frontend.progression.rules.load(state.retail, frontend.campaignRow);
    }
    if (frontend.missionCursor >= frontend.progression.rules.missionCount()) {
        throw std::runtime_error("Mission outside selected campaign");
    }

    if (!frontend.sandbox) {
        state.savePath = options.savePath.empty() ? Progression::defaultPath() : options.savePath;
        if (!frontend.skirmish) {
            loadCampaignSave(state);
        }
    }
    return true;
}

}  // namespace bastion
