#include <algorithm>
#include <array>

#include "shell/frontend/frontend.h"
#include "shell/frontend/internal/menu_press.h"

namespace bastion {
namespace {

constexpr std::array<const char*, kMountCount> kMountNames = {
    "LEFT HAND", "RIGHT HAND", "LEFT SHOULDER", "RIGHT SHOULDER", "LEFT HIP", "RIGHT HIP",
};

// Why `weapon` may not go on `mount`, or nullptr when it may.
const char* equipRefusal(const Frontend& menu, int mount, Weapon weapon) {
    if (weapon >= kWeaponCount || (!menu.skirmish && !menu.sandbox && !menu.progression.weaponAvailable(weapon)))
        return "WEAPON LOCKED - COMPLETE ITS REWARD MISSION";
    if (!compatible(weapon, mount)) return "WEAPON DOES NOT FIT THIS MOUNT";
    if (weapon == kEmptyHand) return nullptr;
    if (mount == kLeftHip || mount == kRightHip) {
        const Weapon beside = menu.loadout[static_cast<std::size_t>(otherHip(mount))];
        if (beside == kAutoGrenade) return "REMOVE AUTO GRENADE LAUNCHER - BOTH HIPS REQUIRED";
        if (weapon == kAutoGrenade && beside != kEmptyHand) return "FREE BOTH HIPS FOR AUTO GRENADE LAUNCHER";
    }
    const auto onOtherMounts = std::count(menu.loadout.begin(), menu.loadout.end(), weapon) -
                               (menu.loadout[static_cast<std::size_t>(mount)] == weapon ? 1 : 0);
    if (onOtherMounts >= copyLimit(weapon)) return "ALL AVAILABLE COPIES OF THIS WEAPON ARE MOUNTED";
    return nullptr;
}

}  // namespace

bool Frontend::equip(int mount, bool remove) {
    // A negative cursor converts to a huge id and is refused as locked.
    const Weapon weapon = remove ? kEmptyHand : static_cast<Weapon>(loadoutCursor);
    if (const char* refusal = equipRefusal(*this, mount, weapon)) {
        loadoutMessage = refusal;
        return false;
    }
    // The auto grenade launcher spans both hips, so taking one hip off clears the pair.
    if (weapon == kEmptyHand && (mount == kLeftHip || mount == kRightHip)) {
        Weapon& beside = loadout[static_cast<std::size_t>(otherHip(mount))];
        if (beside == kAutoGrenade) beside = kEmptyHand;
    }
    loadout[static_cast<std::size_t>(mount)] = weapon;
    loadoutMessage = std::string(kMountNames[static_cast<std::size_t>(mount)]) + ": " + weaponInfo(weapon, 0).shortName;
    return true;
}

}  // namespace bastion
