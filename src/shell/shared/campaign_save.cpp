#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/atomic_replace.h"
#include "platform/environment.h"
#include "platform/file_lock.h"
#include "shell/shared/campaign_temporary.h"
#include "shell/shared/progression.h"

namespace bastion {
namespace {

constexpr int kTemporaryAttempts = 100;

constexpr platform::ReplaceTexts kReplaceTexts = {
    "Create campaign save", "Write campaign save", "Flush campaign save", "Replace campaign save"};

std::string serialise(const Progression& progression) {
    const nlohmann::json save = {
        {"schema", 1},
        {"game", "stormbastion-xr"},
        {"campaign", progression.rules.campaign},
        {"completed", progression.completed},
        {"selected_mission", progression.selectedMission},
        {"difficulty", progression.difficulty == 1 ? "hard" : "normal"},
        {"loadout", progression.loadout},
    };
    return save.dump(2) + "\n";
}

}  // namespace

void Progression::save(const std::filesystem::path& path, bool merge) {
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    std::filesystem::create_directories(folder);

    // Held across the read, the merge and the replace, so that two copies of
    // the game saving at once never drop each other's completed missions.
    const platform::FileLock lock(path.native() + ".lock", "Open campaign lock",
                                  "Lock campaign save");
    // A save killed between creating its temporary and the rename leaves the
    // temporary behind for good; sweeping them under the lock keeps every
    // other save of this file out meanwhile.
    removeStaleCampaignTemporaries(path);
    if (merge) {
        Progression onDisk;
        onDisk.rules = rules;
        onDisk.load(path);
        completed |= onDisk.completed;
    }
    sanitizeLoadout();
    if (!missionAvailable(selectedMission)) selectedMission = nextMission();

    platform::atomicReplace(
        path, serialise(*this), [&] { return nextCampaignTemporary(path); }, kTemporaryAttempts,
        kReplaceTexts);
}

std::filesystem::path Progression::defaultPath() {
    const auto path = platform::userFile({
        {"LOCALAPPDATA", "stormbastion-xr/campaign.json"},
        {"XDG_DATA_HOME", "stormbastion-xr/campaign.json", true},
        {"HOME", ".local/share/stormbastion-xr/campaign.json"},
    });
    if (!path) throw std::runtime_error("No campaign data directory; pass --save PATH");
    return *path;
}

}  // namespace bastion
