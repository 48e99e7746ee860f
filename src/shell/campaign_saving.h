#pragma once

#include <filesystem>
#include <ostream>

namespace bastion {

struct Frontend;

// Writes the front end's progression, with its difficulty, to the selected
// campaign's save beside `savePath`, merging with the file unless this is the
// first save of a new campaign (`freshCampaign`, cleared on success). Does
// nothing in sandbox or skirmish play or without a save path. A failure is
// shown as "PROGRESS NOT SAVED" and told on `err`; play goes on.
void saveCampaign(Frontend& frontend, const std::filesystem::path& savePath, bool& freshCampaign, std::ostream& err);

}  // namespace bastion
