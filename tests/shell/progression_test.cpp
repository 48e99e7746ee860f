#include <gtest/gtest.h>

#include "shell/shared/progression.h"

namespace bastion {
namespace {

Progression secondCampaign() {
    Progression progression;
    progression.rules.campaign = 1;
    progression.rules.initialWeapons = 42;
    progression.rules.missionRewards = {2, -1, 4, -1, 6, -1, 7, -1, 8, -1,
                                        9, -1, 10, -1, 11, -1, 12, -1, -1, -1};
    return progression;
}

TEST(Progression, CompletesOnlyOpenMissionsAndOnlyOnce) {
    Progression progression;
    EXPECT_TRUE(progression.complete(2));
    EXPECT_FALSE(progression.complete(2));
    EXPECT_FALSE(progression.complete(4));  // locked
    EXPECT_FALSE(progression.complete(-1));
    EXPECT_FALSE(progression.complete(16));
    EXPECT_FALSE(progression.complete(40));
    EXPECT_EQ(progression.completed, 0x4u);

    progression.completed = 0xFFF;
    EXPECT_TRUE(progression.missionAvailable(12));
    EXPECT_FALSE(progression.missionAvailable(13));
    EXPECT_TRUE(progression.complete(12));
    EXPECT_TRUE(progression.missionAvailable(13));
}

TEST(Progression, NextMissionIsTheFirstOpenUndoneOneElseTheLast) {
    Progression first;
    EXPECT_EQ(first.nextMission(), 0);
    first.completed = 0xB;
    EXPECT_EQ(first.nextMission(), 2);
    first.completed = 0xF;
    EXPECT_EQ(first.nextMission(), 4);
    first.completed = 0x7FFF;
    EXPECT_EQ(first.nextMission(), 15);
    first.completed = 0xFFFF;
    EXPECT_EQ(first.nextMission(), 15);

    Progression second = secondCampaign();
    second.completed = 0xFFFFF;
    EXPECT_EQ(second.nextMission(), 19);
    second.completed = 0xFFF;
    EXPECT_EQ(second.nextMission(), 12);
}

TEST(Progression, WeaponsOpenFromTheStartAndByCompletedMissions) {
    Progression progression;
    EXPECT_TRUE(progression.weaponAvailable(0));
    EXPECT_TRUE(progression.weaponAvailable(1));
    EXPECT_FALSE(progression.weaponAvailable(5));
    EXPECT_FALSE(progression.weaponAvailable(13));
    EXPECT_FALSE(progression.weaponAvailable(0xFFFFFFFFu));
    progression.completed = 0x1;
    EXPECT_TRUE(progression.weaponAvailable(5));
    EXPECT_FALSE(progression.weaponAvailable(3));
}

struct LoadoutCase {
    const char* name;
    bool everythingOpen;
    Loadout saved;
    Loadout sanitised;
};

TEST(Progression, SanitiseLoadoutEmptiesWhatIsLockedUnfitOverLimitOrBesideAutoGrenades) {
    const LoadoutCase cases[] = {
        {"copies and hips", true, {1, 1, 2, 2, 12, 5}, {1, 0, 2, 2, 12, 0}},
        {"shield on a hand", true, {7, 1, 7, 0, 0, 0}, {0, 1, 7, 0, 0, 0}},
        {"second shield", true, {0, 0, 7, 7, 0, 0}, {0, 0, 7, 0, 0, 0}},
        {"locked rocket", false, {0, 1, 2, 0, 0, 0}, {0, 1, 0, 0, 0, 0}},
        {"unknown ids", true, {13, 0xFFFFFFFFu, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}},
        {"auto grenades on hip 5", true, {0, 0, 0, 0, 5, 12}, {0, 0, 0, 0, 0, 12}},
        {"auto grenades on both hips", true, {0, 0, 0, 0, 12, 12}, {0, 0, 0, 0, 12, 0}},
        // Unfit weapons go before copies are counted.
        {"rockets everywhere", true, {2, 2, 2, 2, 2, 2}, {0, 0, 2, 2, 2, 2}},
        {"legal", true, {11, 3, 8, 8, 4, 4}, {11, 3, 8, 8, 4, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Progression progression;
        if (c.everythingOpen) progression.rules.initialWeapons = 0x1FFE;
        progression.loadout = c.saved;
        progression.sanitizeLoadout();
        EXPECT_EQ(progression.loadout, c.sanitised);
    }
}

TEST(Progression, CopyLimits) {
    const int limits[] = {6, 1, 4, 1, 2, 2, 1, 1, 2, 1, 2, 1, 1};
    for (Weapon weapon = 0; weapon < kWeaponCount; ++weapon) {
        EXPECT_EQ(copyLimit(weapon), limits[weapon]) << weapon;
    }
    EXPECT_EQ(copyLimit(13), 0);
}

}  // namespace
}  // namespace bastion
