#pragma once

#include <filesystem>

namespace bastion {

// The next temporary file name for a save of `save`: its name followed by
// ".tmp.", the process id, "." and a serial that every call takes and
// advances, shared by the whole process.
std::filesystem::path nextCampaignTemporary(const std::filesystem::path& save);

// Removes the temporary files of `save` (named as above) that processes
// which no longer exist left behind when they were killed mid-save. Call it
// only while holding the save's lock: a live process's temporary, this
// process's own included, is never touched.
void removeStaleCampaignTemporaries(const std::filesystem::path& save);

}  // namespace bastion
