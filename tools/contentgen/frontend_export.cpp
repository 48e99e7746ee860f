#include "contentgen/frontend_export.h"

#include <string>
#include <vector>

#include "contentgen/json_file.h"

namespace bastion::contentgen {
namespace {

// Weapon rewards per mission: together with the initial weapons they open
// every weapon of the campaign (0..8 in SB1, 0..12 in SB2).
const std::vector<int> kSb1Rewards = {5, -1, 3, 4, 2, -1, 6, -1, 7, -1, -1, 8, -1, -1, -1, -1};
const std::vector<int> kSb2Rewards = {2, -1, 4, -1, 6, -1, 7, -1, 8, -1, 9, -1, 10, -1, 11, -1, 12, -1, -1, -1};
constexpr int kSb1InitialWeapons = 0x2;   // rifle
constexpr int kSb2InitialWeapons = 0x2A;  // rifle, cutter, grenade launcher

const char* const kSectors[] = {"NORTH", "EAST", "SOUTH", "WEST"};

nlohmann::json briefing(int campaign, int mission) {
    const std::string sector = kSectors[mission % 4];
    const std::string title = (campaign == 0 ? "SB1 OPERATION " : "SB2 OPERATION ") + std::to_string(mission + 1);
    return {
        {"id", mission + 1},
        {"title", title},
        {"lines", nlohmann::json::array({
                      {{"text", "DEMO BRIEFING FOR THE " + sector + " SECTOR."}},
                      {{"text", "DESTROY THE MARKED TARGETS AND RETURN."}},
                  })},
    };
}

}  // namespace

nlohmann::json frontendExport(int campaign) {
    const std::vector<int>& rewards = campaign == 0 ? kSb1Rewards : kSb2Rewards;
    nlohmann::json missions = nlohmann::json::array();
    for (int mission = 0; mission < static_cast<int>(rewards.size()); ++mission) {
        missions.push_back(briefing(campaign, mission));
    }
    return {
        {"schema", 1},
        {"missions", missions},
        {"progression",
         {
             {"initial_missions", 15},
             {"initial_weapons", campaign == 0 ? kSb1InitialWeapons : kSb2InitialWeapons},
             {"mission_rewards", rewards},
         }},
    };
}

void writeFrontendExports(const std::filesystem::path& retail) {
    writeJsonFile(retail / "art/frontend.json", frontendExport(0));
    writeJsonFile(retail / "sb2/art/frontend.json", frontendExport(1));
}

}  // namespace bastion::contentgen
