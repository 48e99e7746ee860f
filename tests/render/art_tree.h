#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/temp_folder.h"

namespace bastion::testing_support {

// A retail folder written piece by piece for the art loader: manifests,
// raw images and briefing files in "art" and "sb2/art".
class ArtTree {
public:
    // The demo cockpit and models are written first, so that a renderer can
    // stand on them.
    ArtTree();

    const std::filesystem::path& retail() const { return folder_.path(); }
    std::filesystem::path cockpit() const { return retail() / "cockpit"; }

    // `folder` is "art" or "sb2/art".
    void writeManifest(const std::string& folder, const nlohmann::json& assets) const;
    void writeFile(const std::string& folder, const std::string& file, const std::vector<std::uint8_t>& bytes) const;
    void writeBriefings(const std::string& folder, const nlohmann::json& document) const;

private:
    TempFolder folder_;
};

// A manifest entry.
nlohmann::json artEntry(const std::string& name, const std::string& file, nlohmann::json width,
                        nlohmann::json height);

}  // namespace bastion::testing_support
