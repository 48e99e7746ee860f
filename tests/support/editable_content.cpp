#include "support/editable_content.h"

#include <fstream>

#include "support/demo_content.h"
#include "world/decoded_json.h"

namespace bastion::testing_support {

EditableContent::EditableContent() : folder_("editable-content") {
    std::filesystem::copy(demoContent(), folder_.path(), std::filesystem::copy_options::recursive);
}

std::filesystem::path EditableContent::missionFile(int campaign) const {
    return root() / (campaign == 1 ? "sb2/gameplay/missions.json" : "gameplay/missions.json");
}

nlohmann::json EditableContent::missions(int campaign) const { return readJson(missionFile(campaign)); }

void EditableContent::writeMissions(int campaign, const nlohmann::json& document) const {
    std::ofstream(missionFile(campaign), std::ios::trunc) << document;
}

}  // namespace bastion::testing_support
