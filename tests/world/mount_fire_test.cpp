#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/step_driver.h"
#include "support/vec_expect.h"
#include "world/world.h"

namespace bastion {
namespace {

using namespace testing_support;

constexpr float kPi = 3.14159265358979f;
constexpr float kFrame = 1.0f / 64.0f;  // exact in binary, so cooldowns land on frames

// Projectiles added by each of `frames` steps.
std::vector<size_t> perFrame(World& world, const Input& input, float dt, int frames) {
    std::vector<size_t> counts;
    for (int i = 0; i < frames; ++i) counts.push_back(hold(world, input, dt));
    return counts;
}

std::vector<size_t> shotsAt(std::initializer_list<int> frames, int total) {
    std::vector<size_t> counts(static_cast<size_t>(total), 0);
    for (int frame : frames) counts[static_cast<size_t>(frame)] = 1;
    return counts;
}

TEST(MountFire, SB1RifleFiresABurstOfThreeThenStops) {
    World world = armedRange({kRifle, kEmptyHand, kShield, kShield, kEmptyHand, kEmptyHand});
    hold(world, released(), kFrame);
    EXPECT_EQ(perFrame(world, firing({0}), kFrame, 30), shotsAt({0, 8, 16}, 30));
    EXPECT_EQ(world.pilot.ammo[0], 397);
    EXPECT_EQ(world.pilot.burst[0], 3);
    hold(world, released(), kFrame);
    EXPECT_EQ(world.pilot.burst[0], 0);
    EXPECT_EQ(perFrame(world, firing({0}), kFrame, 9), shotsAt({0, 8}, 9)) << "a new press fires at once in SB1";
    EXPECT_EQ(world.pilot.shots[0], 5u);
}

TEST(MountFire, SB2RifleCooldownRunsAcrossPresses) {
    World world = armedRange({kRifle, kEmptyHand, kShield, kShield, kEmptyHand, kEmptyHand}, 1);
    hold(world, released(), kFrame);
    EXPECT_EQ(hold(world, firing({0}), kFrame), 1u);
    hold(world, released(), kFrame);
    // 0.140625 s is nine frames: the new press waits out the rest.
    EXPECT_EQ(perFrame(world, firing({0}), kFrame, 9), shotsAt({7}, 9));
}

TEST(MountFire, SB1RailPressedTwiceWithinItsCooldownFiresOnce) {
    World world = armedRange({kEmptyHand, kEmptyHand, kRail, kShield, kEmptyHand, kEmptyHand});
    EXPECT_EQ(hold(world, firing({2}), 0.05f, 3), 1u);
    hold(world, released(), 0.05f);
    EXPECT_EQ(hold(world, firing({2}), 0.05f, 3), 0u);
    EXPECT_EQ(world.pilot.ammo[2], 39);
    hold(world, released(), 0.05f, 13);  // a second after the shot
    EXPECT_EQ(hold(world, firing({2}), 0.05f), 1u);
}

TEST(MountFire, GatlingKeepsFifteenShotsPerSecondThroughLongFrames) {
    World world = armedRange({kEmptyHand, kEmptyHand, kGatling, kShield, kEmptyHand, kEmptyHand});
    hold(world, released(), 0.1f);
    size_t total = 0;
    for (size_t count : perFrame(world, firing({2}), 0.1f, 30)) {
        EXPECT_TRUE(count == 1 || count == 2) << count;
        total += count;
    }
    // Shots at 0, 1/15, ... up to the last frame at 2.9 s.
    EXPECT_EQ(total, 44u);
    EXPECT_EQ(world.pilot.burst[2], 44);
}

TEST(MountFire, OneShotPerPressWeapons) {
    struct Case {
        Weapon weapon;
        int mount;
    };
    for (const Case& c : {Case{kRocketLauncher, 3}, Case{kGrenadeRack, 5}}) {
        SCOPED_TRACE(c.weapon);
        Loadout loadout{kEmptyHand, kEmptyHand, kShield, kShield, kEmptyHand, kEmptyHand};
        loadout[static_cast<size_t>(c.mount)] = c.weapon;
        World world = armedRange(loadout);
        EXPECT_EQ(hold(world, firing({c.mount}), 0.05f, 10), 1u);
        hold(world, released(), 0.05f);
        EXPECT_EQ(hold(world, firing({c.mount}), 0.05f, 10), 1u);
    }
}

TEST(MountFire, ProjectileRecordsByWeapon) {
    struct Case {
        Weapon weapon;
        int mount;
        ProjectileKind kind;
        float radius, life, lift;
    };
    const Case cases[] = {
        {kRocketLauncher, 2, kRocket, 5, 4, 0},   {kGrenadeRack, 4, kGrenade, 15, 4, 30},
        {kAutoGrenade, 5, kGrenade, 0, 4, 12},     {kRail, 3, kShot, 0, 5, 0},
        {kGatling, 2, kShot, 0, 4, 0},             {kRifle, 1, kShot, 0, 4, 0},
        {kHeavyMG, 0, kShot, 0, 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.weapon);
        Loadout loadout{kEmptyHand, kEmptyHand, kShield, kShield, kEmptyHand, kEmptyHand};
        loadout[static_cast<size_t>(c.mount)] = c.weapon;
        World world = armedRange(loadout, 1);
        world.pilot.slot = 2;
        // A gun held since before play started fires on the first frame.
        ASSERT_EQ(hold(world, firing({c.mount}), 0.05f), 1u);
        const Projectile& p = world.projectiles[0];
        const WeaponSpec& spec = weaponInfo(c.weapon, 1);
        EXPECT_EQ(p.kind, c.kind);
        EXPECT_EQ(p.radius, c.radius);
        EXPECT_FLOAT_EQ(p.life, c.life);
        EXPECT_EQ(p.damage, spec.damage);
        EXPECT_EQ(p.weapon, c.weapon);
        EXPECT_EQ(p.mount, c.mount);
        EXPECT_EQ(p.shooter, 2);
        EXPECT_EQ(p.owner, -1);
        EXPECT_EQ(p.victim, -1);
        EXPECT_EQ(p.homingTarget, -1);
        EXPECT_EQ(p.hull, -1.0f);
        Vec3 unlifted = p.velocity;
        unlifted.y -= c.lift;
        EXPECT_NEAR(length(unlifted), spec.speed, spec.speed * 1e-5f);
        ASSERT_EQ(world.sounds.size(), 1u);
        EXPECT_EQ(world.sounds[0].kind, SoundEvent::kFired);
        EXPECT_EQ(world.sounds[0].weapon, static_cast<int>(c.weapon));
        EXPECT_EQ(world.sounds[0].position, p.position);
    }
}

TEST(MountFire, ShotgunShotIsEightPelletsForOneRound) {
    World world = armedRange({kShotgun, kEmptyHand, kShield, kShield, kEmptyHand, kEmptyHand});
    ASSERT_EQ(hold(world, firing({0}), 0.05f, 4), 8u);
    EXPECT_EQ(world.pilot.ammo[0], 49);
    EXPECT_EQ(world.pilot.shots[0], 1u);
    EXPECT_EQ(world.pilot.burst[0], 1);
    EXPECT_EQ(world.sounds.size(), 1u);
    const Vec3 forward = world.pilot.arms[0].forward;
    for (size_t i = 0; i < 8; ++i) {
        const Projectile& pellet = world.projectiles[i];
        EXPECT_FLOAT_EQ(pellet.life, 1.2f);
        EXPECT_EQ(pellet.position, world.pilot.arms[0].muzzle);
        // Even pellets spread 0.025, odd ones 0.055, around the line of fire.
        const float spread = std::acos(dot(normalize(pellet.velocity), forward));
        EXPECT_NEAR(spread, i % 2 == 0 ? 0.025f : 0.055f, 2e-3f) << i;
    }
}

TEST(MountFire, HomingFiresOnlyWithALock) {
    World world = armedRange({kEmptyHand, kEmptyHand, kHomingMissiles, kShield, kEmptyHand, kEmptyHand});
    world.targets.clear();
    EXPECT_EQ(hold(world, firing({2}), 0.05f, 3), 0u);
    EXPECT_EQ(world.pilot.ammo[2], 6);
    EXPECT_EQ(world.pilot.cooldown[2], 0.0f);

    Target unit;
    unit.unitType = 4;
    unit.position = {0, 12, -40};
    unit.extent = {2, 2, 2};
    world.targets = {Target{}, unit};
    world.targets[0].position = {500, 0, 0};
    hold(world, released(), 0.05f);
    ASSERT_EQ(hold(world, firing({2}), 0.05f), 1u);
    EXPECT_EQ(world.projectiles[0].homingTarget, 1);
    EXPECT_EQ(world.projectiles[0].kind, kRocket);
    EXPECT_EQ(world.pilot.ammo[2], 5);
}

TEST(MountFire, EitherHipButtonFiresBothAutoGrenadeLaunchersInBurstsOfFive) {
    for (int button : {4, 5}) {
        for (int campaign : {0, 1}) {
            World world = armedRange({kEmptyHand, kEmptyHand, kShield, kShield, kAutoGrenade, kAutoGrenade}, campaign);
            hold(world, firing({button}), 0.05f, 40);
            EXPECT_EQ(world.pilot.shots[4], 5u);
            EXPECT_EQ(world.pilot.shots[5], 5u);
            EXPECT_EQ(world.projectiles.size(), 10u);
        }
    }
    // A rocket launcher on the other hip does not answer the grenade button.
    World world = armedRange({kEmptyHand, kEmptyHand, kShield, kShield, kAutoGrenade, kRocketLauncher});
    hold(world, firing({4}), 0.05f, 40);
    EXPECT_EQ(world.pilot.shots[4], 5u);
    EXPECT_EQ(world.pilot.shots[5], 0u);
}

TEST(MountFire, EmptyMountsAndShieldsNeverShoot) {
    World world = armedRange({kRifle, kRifle, kShield, kEmptyHand, kCutter, kEmptyHand});
    world.pilot.ammo[0] = 0;
    world.pilot.cooldown[0] = -0.3f;
    EXPECT_EQ(hold(world, firing({0, 2, 3, 4, 5}), 0.05f, 5), 0u);
    EXPECT_EQ(world.pilot.cooldown[0], 0.0f) << "an empty gun banks no time";
    EXPECT_TRUE(world.sounds.empty());
}

TEST(MountFire, HandWeaponsNeedATrackedArmAndNoPunchPause) {
    World world = armedRange({kRifle, kRifle, kShield, kShield, kEmptyHand, kEmptyHand});
    Input input = firing({0, 1});
    input.poses[0].valid = false;
    world.pilot.punchCooldown[1] = 0.125f;
    EXPECT_EQ(hold(world, input, 0.0625f), 0u);
    EXPECT_EQ(hold(world, input, 0.0625f), 1u) << "right hand fires once its punch pause is over";
    EXPECT_EQ(world.pilot.shots[1], 1u);
}

TEST(MountFire, EmptyHandStrikesOncePerPress) {
    World world = armedRange({kEmptyHand, kRifle, kShield, kShield, kEmptyHand, kEmptyHand});
    hold(world, released(), 0.05f);
    hold(world, firing({0}), 0.05f);
    EXPECT_FLOAT_EQ(world.pilot.flash[0], 0.45f);
    EXPECT_FLOAT_EQ(world.pilot.cooldown[0], 0.45f);
    hold(world, firing({0}), 0.05f, 10);
    EXPECT_EQ(world.pilot.punches[0], 1);
    ASSERT_EQ(world.sounds.size(), 1u);
    EXPECT_EQ(world.sounds[0].kind, SoundEvent::kStrike);
    const Arm& arm = world.pilot.arms[0];
    expectNear(world.sounds[0].position, arm.wrist + arm.forward * 1.7f, 1e-5f);

    World sb2 = armedRange({kEmptyHand, kRifle, kShield, kShield, kEmptyHand, kEmptyHand}, 1);
    hold(sb2, released(), 0.05f);
    hold(sb2, firing({0}), 0.05f);
    hold(sb2, released(), 0.05f);
    hold(sb2, firing({0}), 0.05f);
    EXPECT_EQ(sb2.pilot.punches[0], 1) << "the 0.45 s fist cooldown runs across presses in SB2";
}

TEST(MountFire, CutterCutsEveryFrameAndTicksEveryPointEighteen) {
    World world = armedRange({kEmptyHand, kCutter, kShield, kShield, kEmptyHand, kEmptyHand});
    Target block;
    block.position = {0, 0, 0};
    block.extent = {1, 1, 1};
    world.targets = {block};
    hold(world, released(), 0.02f);
    world.targets[0].position = world.pilot.arms[1].muzzle;
    hold(world, firing({1}), 0.02f, 50);  // one second
    EXPECT_EQ(world.pilot.punches[1], 6);
    EXPECT_EQ(world.sounds.size(), 6u);
    for (const SoundEvent& sound : world.sounds) EXPECT_EQ(sound.kind, SoundEvent::kCutter);
    EXPECT_NEAR(world.targets[0].health, 100.0f - 1.8f * 30.0f, 1e-2f) << "1.8 x 30 per second on an object";
    EXPECT_EQ(world.pilot.ammo[1], 0);
    EXPECT_TRUE(world.projectiles.empty());
}

// Where shots start and where they head, from the arms and the aim.
TEST(MuzzleGeometry, SideMountsConvergeEightyAheadOfTheEye) {
    struct Case {
        int mount;
        float torso;
        Vec3 muzzle;
    };
    const Case cases[] = {
        {2, 0.0f, {-2, 13, 35}},
        {3, 0.0f, {2, 13, 35}},
        {4, 0.0f, {-2, 6, 35}},
        {5, 0.0f, {2, 6, 35}},
        {3, kPi / 2, {0, 13, 33}},
        {4, kPi / 2, {0, 6, 37}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mount);
        Loadout loadout{kEmptyHand, kEmptyHand, kShield, kShield, kEmptyHand, kEmptyHand};
        loadout[static_cast<size_t>(c.mount)] = kGatling;
        World world = armedRange(loadout);
        world.pilot.angles[1] = c.torso;
        Input input = firing({c.mount});
        input.axes[4] = 0.1f;
        ASSERT_EQ(hold(world, input, 0.05f), 1u);
        const Projectile& p = world.projectiles[0];
        expectNear(p.position, c.muzzle, 2e-3f);
        const Vec3 meet = Vec3{0, 12, 35} + direction(c.torso, 0.1f) * 80.0f;
        expectNear(normalize(p.velocity), normalize(meet - c.muzzle), 2e-3f);
    }
}

TEST(MuzzleGeometry, SideMountHeadingStaysWithinAQuarterTurnOfTheTorso) {
    World world = armedRange({kEmptyHand, kEmptyHand, kShield, kGatling, kEmptyHand, kEmptyHand});
    Input input = firing({3});
    input.axes[3] = kPi / 4;  // aim hard left: the right mount would point past the limit
    ASSERT_EQ(hold(world, input, 0.05f), 1u);
    const Vec3 raw = Vec3{0, 12, 35} + direction(kPi / 4, 0) * 80.0f - Vec3{2, 13, 35};
    const float horizontal = std::hypot(raw.x, raw.z);
    const Vec3 limited = normalize({-std::sin(kPi / 4) * horizontal, raw.y, -std::cos(kPi / 4) * horizontal});
    expectNear(normalize(world.projectiles[0].velocity), limited, 2e-3f);
}

TEST(MuzzleGeometry, HandShotsLeaveTheHeldModelsMuzzle) {
    World world = armedRange({kRifle, kRifle, kShield, kShield, kEmptyHand, kEmptyHand});
    ASSERT_EQ(hold(world, firing({0, 1}), 0.05f), 2u);
    const Arm& left = world.pilot.arms[0];
    const Arm& right = world.pilot.arms[1];
    // Identity hand rotations at heading 0: the rifle muzzle sits straight
    // out from the wrist, mirrored for the left hand.
    expectNear(world.projectiles[0].position, left.wrist + Vec3{0.0122386f, 0.928f, -4.954952f}, 2e-3f);
    expectNear(world.projectiles[1].position, right.wrist + Vec3{-0.0122386f, 0.928f, -4.954952f}, 2e-3f);
    expectNear(normalize(world.projectiles[1].velocity), {0, 0, -1}, 2e-3f);
    expectNear(right.wrist, Vec3{2.5f, 10.8f, 34.9f} + normalize(Vec3{-0.1f, 0.42f, -4.4f}) * 3.899f, 2e-3f);
}

}  // namespace
}  // namespace bastion
