#pragma once

#include "world/math.h"

namespace bastion {

// Weapon id 0..12; 0 is no weapon. Ids of 13 and above read as 0.
using Weapon = u32;

// Weapon ids the simulation refers to by name.
enum WeaponId : Weapon {
    kEmptyHand = 0,
    kRifle = 1,
    kRocketLauncher = 2,
    kCutter = 3,
    kGatling = 4,
    kGrenadeRack = 5,
    kRail = 6,
    kShield = 7,
    kCruiseMissile = 8,
    kShotgun = 9,
    kHomingMissiles = 10,
    kHeavyMG = 11,
    kAutoGrenade = 12,
};

inline constexpr int kMountCount = 6;
inline constexpr u32 kWeaponCount = 13;

struct WeaponSpec {
    const char* name;
    const char* shortName;
    u32 mounts;  // bit per mount the weapon fits
    int ammo;
    float cooldown;
    float speed;
    float damage;
    u32 limit;  // shots per held press, 0 for no limit
};

// Record of `weapon` in the SB2 table when campaign is non-zero, else SB1.
const WeaponSpec& weaponInfo(Weapon weapon, int campaign);

// Whether `weapon` fits `mount` (0..5).
bool compatible(Weapon weapon, int mount);

// Name of the weapon's preview model.
const char* weaponModel(Weapon weapon);

}  // namespace bastion
