#pragma once

#include <filesystem>

namespace bastion {

// The next temporary file name for a save of `save`: its name followed by
// ".tmp.", the process id, "." and a serial that every call takes and
// advances, shared by the whole process.
std::filesystem::path nextCampaignTemporary(const std::filesystem::path& save);

}  // namespace bastion
