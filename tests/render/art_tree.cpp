#include "render/art_tree.h"

#include <fstream>

#include "contentgen/cockpit_model.h"
#include "contentgen/decoration_models.h"

namespace bastion::testing_support {

ArtTree::ArtTree() : folder_("art-tree") {
    contentgen::writeCockpit(cockpit(), contentgen::demoCockpit());
    contentgen::writeModelsFolder(retail() / "models");
}

void ArtTree::writeManifest(const std::string& folder, const nlohmann::json& assets) const {
    const std::string text = nlohmann::json{{"assets", assets}}.dump();
    writeFile(folder, "manifest.json", std::vector<std::uint8_t>(text.begin(), text.end()));
}

void ArtTree::writeFile(const std::string& folder, const std::string& file,
                        const std::vector<std::uint8_t>& bytes) const {
    std::filesystem::create_directories(retail() / folder);
    std::ofstream stream(retail() / folder / file, std::ios::binary | std::ios::trunc);
    stream.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void ArtTree::writeBriefings(const std::string& folder, const nlohmann::json& document) const {
    const std::string text = document.dump();
    writeFile(folder, "frontend.json", std::vector<std::uint8_t>(text.begin(), text.end()));
}

nlohmann::json artEntry(const std::string& name, const std::string& file, nlohmann::json width,
                        nlohmann::json height) {
    return {{"name", name}, {"rgba", file}, {"width", std::move(width)}, {"height", std::move(height)}};
}

}  // namespace bastion::testing_support
