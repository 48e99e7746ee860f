#include "shell/shared/progression.h"

#include <array>

namespace bastion {

int copyLimit(Weapon weapon) {
    static constexpr std::array<int, kWeaponCount> kLimits = {6, 1, 4, 1, 2, 2, 1,
                                                              1, 2, 1, 2, 1, 1};
    return weapon < kWeaponCount ? kLimits[weapon] : 0;
}

bool Progression::missionAvailable(int mission) const {
    if (mission < 0 || mission >= rules.missionCount() || mission >= 32) return false;
    return (rules.available(completed) >> mission) & 1u;
}

bool Progression::weaponAvailable(Weapon weapon) const {
    if (weapon >= kWeaponCount) return false;
    return (rules.weapons(completed) >> weapon) & 1u;
}

bool Progression::complete(int mission) {
    if (!missionAvailable(mission) || ((completed >> mission) & 1u)) return false;
    completed |= u32{1} << mission;
    return true;
}

int Progression::nextMission() const {
    for (int mission = 0; mission < rules.missionCount(); ++mission) {
        if (missionAvailable(mission) && !((completed >> mission) & 1u)) return mission;
    }
    return rules.missionCount() - 1;
}

void Progression::sanitizeLoadout() {
    constexpr Weapon kEmpty = 0;
    constexpr Weapon kAutoGrenade = 12;
    for (int mount = 0; mount < kMountCount; ++mount) {
        Weapon& weapon = loadout[static_cast<std::size_t>(mount)];
        if (!weaponAvailable(weapon) || !compatible(weapon, mount)) weapon = kEmpty;
    }
    std::array<int, kWeaponCount> seen{};
    for (Weapon& weapon : loadout) {
        if (++seen[weapon] > copyLimit(weapon)) weapon = kEmpty;
    }
    if (loadout[4] == kAutoGrenade) {
        loadout[5] = kEmpty;
    } else if (loadout[5] == kAutoGrenade) {
        loadout[4] = kEmpty;
    }
}

}  // namespace bastion
