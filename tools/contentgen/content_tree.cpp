#include "contentgen/content_tree.h"

#include "contentgen/art_images.h"
#include "contentgen/campaign_missions.h"
#include "contentgen/cockpit_model.h"
#include "contentgen/decoration_models.h"
#include "contentgen/effect_sounds.h"
#include "contentgen/frontend_export.h"
#include "contentgen/gameplay_models.h"
#include "contentgen/import_manifest.h"
#include "contentgen/json_file.h"
#include "contentgen/music_content.h"
#include "contentgen/world_atlas.h"

namespace bastion::contentgen {

void writeContentTree(const std::filesystem::path& root) {
    writeImportManifest(root);
    writeCartridgeImage(root);
    writeFrontendExports(root);

    const nlohmann::json sb1 = missionsDocument(0);
    writeJsonFile(root / "gameplay/missions.json", sb1);
    writeGameplayModels(root / "gameplay");
    writeAtlases(root / "gameplay", 0);

    writeJsonFile(root / "sb2/gameplay/missions.json", missionsDocument(1));
    writeGameplayModels(root / "sb2/gameplay");
    writeAtlases(root / "sb2/gameplay", 1);
    // The SB2 cartridge carries the SB1 missions too; its copy takes their
    // place when the shared folder is preferred, its models falling back to
    // the SB1 gameplay folder.
    writeJsonFile(root / "sb2/shared/gameplay/missions.json", sb1);
    writeAtlases(root / "sb2/shared/gameplay", 0);

    writeModelsFolder(root / "models");
    writeArt(root);
    writeCockpit(root / "cockpit", demoCockpit());
    writeMusic(root);
    writeEffects(root);
}

}  // namespace bastion::contentgen
