#include "coop/room.h"

namespace bastion::coop {

bool validLoadout(const Loadout& loadout, const Progression& progression) {
    for (int mount = 0; mount < kMountCount; ++mount) {
        const Weapon weapon = loadout[static_cast<std::size_t>(mount)];
        if (!progression.weaponAvailable(weapon) || !compatible(weapon, mount) || weapon >= kWeaponCount) return false;
        int copies = 0;
        for (Weapon other : loadout) copies += other == weapon ? 1 : 0;
        if (copies > copyLimit(weapon)) return false;
    }
    const bool hipClash = (loadout[4] == kAutoGrenade && loadout[5] != kEmptyHand) ||
                          (loadout[5] == kAutoGrenade && loadout[4] != kEmptyHand);
    return !hipClash;
}

Input neutralInput() {
    Input input;
    input.hands[0] = input.hands[1] = Vec3{};
    input.valid[0] = input.valid[1] = false;
    return input;
}

}  // namespace bastion::coop
