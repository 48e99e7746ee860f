#include <gtest/gtest.h>

#include <cstring>

#include "world/weapon.h"

namespace bastion {
namespace {

struct CooldownCase {
    Weapon weapon;
    float sb1;
    float sb2;
};

TEST(WeaponCatalogue, CooldownsDifferBetweenCampaignsOnlyWhereTheTablesDo) {
    const CooldownCase cases[] = {
        {1, 0.125f, 0.140625f}, {4, 0.0666656494140625f, 0.08984375f}, {5, 0.0f, 0.5f},
        {6, 1.0f, 2.0f},        {9, 0.78125f, 0.78125f},              {11, 0.1640625f, 0.1640625f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.weapon);
        EXPECT_EQ(weaponInfo(c.weapon, 0).cooldown, c.sb1);
        EXPECT_EQ(weaponInfo(c.weapon, 1).cooldown, c.sb2);
        // Any non-zero campaign selects SB2.
        EXPECT_EQ(weaponInfo(c.weapon, -1).cooldown, c.sb2);
        EXPECT_EQ(weaponInfo(c.weapon, 7).cooldown, c.sb2);
    }
}

TEST(WeaponCatalogue, EveryOtherColumnIsTheSameInBothTables) {
    for (Weapon id = 0; id < kWeaponCount; ++id) {
        const WeaponSpec& a = weaponInfo(id, 0);
        const WeaponSpec& b = weaponInfo(id, 1);
        SCOPED_TRACE(id);
        EXPECT_STREQ(a.name, b.name);
        EXPECT_STREQ(a.shortName, b.shortName);
        EXPECT_EQ(a.mounts, b.mounts);
        EXPECT_EQ(a.ammo, b.ammo);
        EXPECT_EQ(a.speed, b.speed);
        EXPECT_EQ(a.damage, b.damage);
        EXPECT_EQ(a.limit, b.limit);
    }
}

TEST(WeaponCatalogue, DecimalLiteralsAreTheNearestFloats) {
    EXPECT_EQ(weaponInfo(2, 0).damage, 20.1f);
    EXPECT_EQ(weaponInfo(10, 0).damage, 40.1f);
    EXPECT_EQ(weaponInfo(5, 0).speed, 19.2f);
    EXPECT_EQ(weaponInfo(3, 0).damage, 1.8f);
    EXPECT_EQ(weaponInfo(0, 0).cooldown, 0.45f);
    EXPECT_EQ(weaponInfo(12, 0).limit, 5u);
    EXPECT_EQ(weaponInfo(1, 0).limit, 3u);
}

TEST(WeaponCatalogue, IdsAboveTwelveReadAsRemoveWeapon) {
    for (Weapon id : {13u, 14u, 99u, 255u, 0xFFFFFFFFu}) {
        for (int campaign : {0, 1}) {
            EXPECT_STREQ(weaponInfo(id, campaign).name, "REMOVE WEAPON") << id;
            EXPECT_EQ(weaponInfo(id, campaign).ammo, 0);
        }
        EXPECT_STREQ(weaponModel(id), "question-mark");
        for (int mount = 0; mount < 6; ++mount) EXPECT_TRUE(compatible(id, mount));
    }
}

TEST(WeaponCatalogue, CompatibleRejectsBadMounts) {
    struct Case {
        Weapon weapon;
        int mount;
        bool fits;
    };
    const Case cases[] = {
        {7, 2, true},  {7, 3, true},  {7, 0, false}, {5, 4, true},  {5, 2, false},
        {1, 0, true},  {1, 1, true},  {1, 2, false}, {2, 5, true},  {2, 0, false},
        {0, 0, true},  {0, 5, true},  {0, 6, false}, {0, -1, false}, {7, -2147483647 - 1, false},
        {12, 5, true}, {12, 64, false},
    };
    for (const auto& c : cases) EXPECT_EQ(compatible(c.weapon, c.mount), c.fits) << c.weapon << " on " << c.mount;
    for (Weapon id = 0; id < kWeaponCount; ++id) {
        EXPECT_FALSE(compatible(id, 6));
        EXPECT_FALSE(compatible(id, -1));
    }
}

TEST(WeaponCatalogue, ModelNames) {
    EXPECT_STREQ(weaponModel(0), "question-mark");
    EXPECT_STREQ(weaponModel(11), "heavy-machinegun");
    EXPECT_STREQ(weaponModel(12), "auto-grenade");
}

}  // namespace
}  // namespace bastion
