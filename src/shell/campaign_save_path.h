#pragma once

#include <filesystem>

namespace bastion {

// The save file of `campaign`: the save path itself for SB1; for SB2 its
// sibling whose stem ends in "-sb2" ("campaign.json" -> "campaign-sb2.json").
std::filesystem::path campaignSavePath(const std::filesystem::path& savePath, int campaign);

}  // namespace bastion
