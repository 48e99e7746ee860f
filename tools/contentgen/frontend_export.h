#pragma once

#include <filesystem>

#include <nlohmann/json.hpp>

namespace bastion::contentgen {

// The front-end export of one campaign (0 SB1, 1 SB2): the briefings and the
// "progression" unlock rules.
nlohmann::json frontendExport(int campaign);

// "art/frontend.json" for SB1 and "sb2/art/frontend.json" for SB2.
void writeFrontendExports(const std::filesystem::path& retail);

}  // namespace bastion::contentgen
