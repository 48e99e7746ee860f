#include <exception>
#include <filesystem>
#include <system_error>

#include "shell/campaign_save_path.h"
#include "shell/requests.h"

namespace bastion {
namespace {

std::filesystem::path selectedSavePath(const ShellSession& session) {
    return campaignSavePath(session.savePath, session.frontend.campaignRow);
}

bool saveFileExists(const std::filesystem::path& path) {
    std::error_code error;
    const auto type = std::filesystem::status(path, error).type();
    return type != std::filesystem::file_type::not_found && type != std::filesystem::file_type::none;
}

// Leaves whatever was being played before a campaign starts: the skirmish
// and its recipe, and the lines of the old mission.
void leavePlay(ShellSession& session) {
    Frontend& frontend = session.frontend;
    frontend.skirmish = false;
    session.skirmishRecipe.reset();
    frontend.statusLine.clear();
    if (session.coop.active()) leaveCoop(session);
    frontend.notice.clear();
}

void openCampaign(ShellSession& session, Progression progression, bool fresh) {
    Frontend& frontend = session.frontend;
    frontend.progression = std::move(progression);
    session.freshCampaign = fresh;
    frontend.restoreCampaign();
    frontend.screen = Frontend::kMissionSelection;
    frontend.notice.clear();
    if (!session.difficultyChosen) {
        frontend.difficulty = fresh ? 0 : static_cast<int>(frontend.progression.difficulty);
    }
}

}  // namespace

Progression freshProgression(const ShellSession& session) {
    Progression progression;
    if (!session.sources.fixture) progression.rules.load(session.sources.retail, session.frontend.campaignRow);
    return progression;
}

void startNewCampaign(ShellSession& session) {
    leavePlay(session);
    openCampaign(session, freshProgression(session), true);
}

void loadSavedCampaign(ShellSession& session) {
    Frontend& frontend = session.frontend;
    leavePlay(session);
    Progression progression = freshProgression(session);
    const std::filesystem::path path = selectedSavePath(session);
    if (session.savePath.empty() || !saveFileExists(path)) {
        frontend.progression = std::move(progression);
        frontend.notice = "NO SAVED GAME";
        return;
    }
    try {
        progression.load(path);
    } catch (const std::exception& error) {
        // A broken save must not end the game: the progress being played
        // stays, together with the campaign it belongs to.
        frontend.campaignRow = frontend.progression.rules.campaign;
        frontend.notice = error.what();
        session.err << "Campaign save: " << error.what() << '\n';
        return;
    }
    openCampaign(session, std::move(progression), false);
}

void saveCampaign(ShellSession& session) {
    Frontend& frontend = session.frontend;
    if (frontend.sandbox || frontend.skirmish) return;
    frontend.progression.difficulty = static_cast<u32>(frontend.difficulty);
    try {
        frontend.progression.save(selectedSavePath(session), !session.freshCampaign);
        session.freshCampaign = false;
        frontend.secondResultLine = "PROGRESS SAVED";
    } catch (const std::exception& error) {
        frontend.secondResultLine = "PROGRESS NOT SAVED";
        session.err << "Campaign save: " << error.what() << '\n';
    }
}

}  // namespace bastion
