#include "shell/shared/campaign_rules.h"

namespace bastion {
namespace {

// The missions below `count`.
constexpr u32 firstMissions(int count) { return (u32{1} << count) - 1u; }

bool allDone(u32 completed, int count) {
    return (completed & firstMissions(count)) == firstMissions(count);
}

}  // namespace

u32 CampaignRules::available(u32 completed) const {
    u32 open = initialMissions;
    // Groups of four open once every earlier mission is done; SB1 opens its
    // last four one at a time.
    const int lastGroup = campaign == 1 ? 16 : 8;
    for (int first = 4; first <= lastGroup; first += 4) {
        if (allDone(completed, first)) open |= u32{0xF} << first;
    }
    if (campaign != 1) {
        for (int mission = 12; mission < 16; ++mission) {
            if (allDone(completed, mission)) open |= u32{1} << mission;
        }
    }
    return open;
}

u32 CampaignRules::weapons(u32 completed) const {
    u32 open = initialWeapons | 1u;
    for (int mission = 0; mission < missionCount() && mission < 32; ++mission) {
        const int reward = missionRewards[static_cast<std::size_t>(mission)];
        if (((completed >> mission) & 1u) && reward >= 0 && reward < 32) open |= u32{1} << reward;
    }
    return open;
}

}  // namespace bastion
