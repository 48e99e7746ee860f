#include "world/weapon.h"

#include <array>

namespace bastion {
namespace {

using Table = std::array<WeaponSpec, kWeaponCount>;

constexpr Table kSB1 = {{
    {"REMOVE WEAPON", "EMPTY", 63, 0, 0.45f, 0.0f, 7.0f, 1},
    {"KESTRA ASSAULT RIFLE", "RIFLE", 3, 400, 0.125f, 110.0f, 2.0f, 3},
    {"WOLFPACK ROCKET LAUNCHER", "ROCKET", 60, 12, 0.0f, 100.0f, 20.1f, 1},
    {"TOLLIK CHAIN CUTTER", "CUTTER", 3, 0, 0.0f, 0.0f, 1.8f, 0},
    {"DRAVOS GATLING GUN", "GATLING", 60, 600, 0.0666656494140625f, 100.0f, 2.5f, 0},
    {"BADGER GRENADE RACK", "GRENADE", 48, 8, 0.0f, 19.2f, 50.0f, 1},
    {"VOSSMARK RAIL CANNON", "RAIL", 12, 40, 1.0f, 220.0f, 20.0f, 1},
    {"SLATE HEAVY SHIELD", "SHIELD", 12, 0, 0.0f, 0.0f, 0.0f, 1},
    {"SABLE CRUISE MISSILE", "CRUISE", 12, 1, 0.0f, 0.0f, 1000.0f, 1},
    {"HALDEX 00 GAUGE SHOTGUN", "SHOTGUN", 3, 50, 0.78125f, 95.0f, 8.0f, 1},
    {"FERRET HOMING MISSILES", "HOMING", 12, 6, 0.0f, 50.0f, 40.1f, 1},
    {"BRENNOCK 75MM MACHINE GUN", "HEAVY MG", 3, 400, 0.1640625f, 150.0f, 4.0f, 0},
    {"QUORVAN AUTO GRENADE LAUNCHER", "AUTO GREN", 48, 100, 0.19921875f, 70.0f, 50.0f, 5},
}};

// SB2 differs only in four cooldowns.
constexpr Table makeSB2() {
    Table table = kSB1;
    table[1].cooldown = 0.140625f;
    table[4].cooldown = 0.08984375f;
    table[5].cooldown = 0.5f;
    table[6].cooldown = 2.0f;
    return table;
}
constexpr Table kSB2 = makeSB2();

constexpr std::array<const char*, kWeaponCount> kModelNames = {
    "question-mark", "rifle", "rocket",  "cutter", "gatling",          "grenade",      "rail",
    "shield",        "cruise", "shotgun", "homing", "heavy-machinegun", "auto-grenade",
};

constexpr u32 index(Weapon weapon) { return weapon < kWeaponCount ? weapon : 0; }

}  // namespace

const WeaponSpec& weaponInfo(Weapon weapon, int campaign) {
    return campaign != 0 ? kSB2[index(weapon)] : kSB1[index(weapon)];
}

bool compatible(Weapon weapon, int mount) {
    if (static_cast<unsigned>(mount) > 5u) return false;
    return (kSB1[index(weapon)].mounts >> mount) & 1u;
}

const char* weaponModel(Weapon weapon) { return kModelNames[index(weapon)]; }

}  // namespace bastion
