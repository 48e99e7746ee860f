#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "fuzz_files.h"
#include "shell/client_config.h"
#include "shell/shared/progression.h"

namespace {

namespace fs = std::filesystem;

// What a progression the reader accepted may hold.
void checkProgression(const bastion::Progression& progression) {
    if (progression.difficulty > 1 || !progression.missionAvailable(progression.selectedMission)) std::abort();
    for (const bastion::Weapon weapon : progression.loadout) {
        if (weapon >= bastion::kWeaponCount) std::abort();
    }
}

}  // namespace

// The input packs "config.json", the campaign rules export "frontend.json"
// and the campaign save in that order, cut by the file separator.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path folder = bastion::fuzz::scratchFolder();
    const auto pieces = bastion::fuzz::splitInput(data, size, bastion::fuzz::kFileSeparator);

    const fs::path config = folder / "config.json";
    bastion::fuzz::writeFile(config, pieces[0]);
    bastion::fuzz::refuseOrPass([&] { bastion::ClientConfig().load(config, true); });
    bastion::fuzz::refuseOrPass([&] { bastion::ClientConfig().saveAudio(config); });

    // Both campaigns read the same export, each from its own place.
    const fs::path retail = folder / "retail";
    bastion::fuzz::writeOrRemove(retail / "art/frontend.json", pieces, 1);
    bastion::fuzz::writeOrRemove(retail / "sb2/art/frontend.json", pieces, 1);
    bastion::CampaignRules rules[2];
    bastion::fuzz::refuseOrPass([&] { rules[0].load(retail, 0); });
    bastion::fuzz::refuseOrPass([&] { rules[1].load(retail, 1); });

    const fs::path save = folder / "campaign.json";
    for (const bastion::CampaignRules& campaignRules : rules) {
        bastion::fuzz::writeOrRemove(save, pieces, 2);
        bastion::Progression progression;
        progression.rules = campaignRules;
        const bool loaded = bastion::fuzz::refuseOrPass([&] { progression.load(save); });
        if (!loaded) continue;
        checkProgression(progression);
        // Merging reads the same file again, so it is worth its write only
        // when the save was accepted.
        bastion::Progression merging;
        merging.rules = campaignRules;
        merging.selectedMission = 1;
        merging.loadout = {12, 12, 12, 12, 12, 12};
        bastion::fuzz::refuseOrPass([&] {
            merging.save(save, true);
            checkProgression(merging);
        });
    }
    return 0;
}
