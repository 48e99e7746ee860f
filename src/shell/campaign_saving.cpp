#include "shell/campaign_saving.h"

#include <exception>

#include "shell/campaign_save_path.h"
#include "shell/frontend.h"

namespace bastion {

void saveCampaign(Frontend& frontend, const std::filesystem::path& savePath, bool& freshCampaign, std::ostream& err) {
    if (frontend.sandbox || frontend.skirmish || savePath.empty()) return;
    frontend.progression.difficulty = static_cast<decltype(frontend.progression.difficulty)>(frontend.difficulty);
    try {
        frontend.progression.save(campaignSavePath(savePath, frontend.campaignRow), !freshCampaign);
        freshCampaign = false;
        frontend.secondResultLine = "PROGRESS SAVED";
    } catch (const std::exception& error) {
        frontend.secondResultLine = "PROGRESS NOT SAVED";
        err << "Campaign save: " << error.what() << '\n';
    }
}

}  // namespace bastion
