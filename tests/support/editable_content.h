#pragma once

#include <filesystem>

#include <nlohmann/json.hpp>

#include "support/temp_folder.h"

namespace bastion::testing_support {

// A private copy of the demo content tree whose mission documents a test may
// rewrite. SB1's document is the one in <root>/"gameplay" (load it without
// the shared-folder flag to read it).
class EditableContent {
public:
    EditableContent();

    const std::filesystem::path& root() const { return folder_.path(); }
    std::filesystem::path missionFile(int campaign) const;

    // The campaign's mission document as it is now.
    nlohmann::json missions(int campaign) const;
    void writeMissions(int campaign, const nlohmann::json& document) const;

private:
    TempFolder folder_;
};

}  // namespace bastion::testing_support
