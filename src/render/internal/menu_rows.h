#pragma once

#include <string>
#include <vector>

namespace bastion {

struct Frontend;

// The selectable rows of the title, campaign, co-op and in-mission menus;
// empty for the other screens of the lobby layout.
std::vector<std::string> lobbyRows(const Frontend& menu);

// "mission-thumbnail-NN" for mission index + 1, with "sb2-" before it for the
// second campaign.
std::string thumbnailName(int campaign, int mission);

}  // namespace bastion
