#include <algorithm>

#include "world/internal/line_of_fire.h"
#include "world/pilot_step.h"

namespace bastion {
namespace {

constexpr float kReady = 1e-6f;      // a cooldown at or below this lets the mount act
constexpr int kMostShotsPerStep = 8;
constexpr float kFlash = 0.45f;
constexpr float kCutterTick = 0.18f;  // seconds between the cutter's sounding, sparking ticks
constexpr float kCutterRate = 30.0f;  // catalogue damage per second of cutting

struct ShotStyle {
    ProjectileKind kind;
    float radius;
    float life;
    float lift;  // added to the vertical speed of a lobbed shot
};

ShotStyle shotStyle(Weapon weapon) {
    switch (weapon) {
        case kRocketLauncher: return {kRocket, 5.0f, 4.0f, 0.0f};
        case kHomingMissiles: return {kRocket, 0.0f, 10.0f, 0.0f};
        case kGrenadeRack: return {kGrenade, 15.0f, 4.0f, 30.0f};
        case kAutoGrenade: return {kGrenade, 0.0f, 4.0f, 12.0f};
        case kRail: return {kShot, 0.0f, 5.0f, 0.0f};
        case kShotgun: return {kShot, 0.0f, 1.2f, 0.0f};
        default: return {kShot, 0.0f, 4.0f, 0.0f};
    }
}

void addProjectile(World& world, int mount, Weapon weapon, const WeaponSpec& spec, Vec3 muzzle, Vec3 direction) {
    const ShotStyle style = shotStyle(weapon);
    Projectile shot;
    shot.position = muzzle;
    shot.velocity = direction * spec.speed;
    shot.velocity.y += style.lift;
    shot.life = style.life;
    shot.damage = spec.damage;
    shot.mount = mount;
    shot.kind = style.kind;
    shot.radius = style.radius;
    shot.weapon = weapon;
    shot.shooter = world.pilot.slot;
    if (weapon == kHomingMissiles) shot.homingTarget = world.pilot.homing_target;
    world.projectiles.push_back(shot);
}

bool outOfShots(const Pilot& pilot, int mount, const WeaponSpec& spec) {
    return pilot.ammo[mount] <= 0 || (spec.limit != 0 && pilot.burst[mount] >= static_cast<int>(spec.limit));
}

// Fires as many shots as the cooldown has earned this step, at most eight.
void fireGun(World& world, int mount, Weapon weapon, const WeaponSpec& spec) {
    Pilot& pilot = world.pilot;
    float& cooldown = pilot.cooldown[mount];
    for (int fired = 0; fired < kMostShotsPerStep;) {
        if (cooldown > kReady || outOfShots(pilot, mount, spec)) break;
        const LineOfFire line = lineOfFire(pilot, mount);
        if (weapon == kShotgun) {
            Vec3 pellets[kPelletCount];
            pelletDirections(line.direction, torsoHeading(pilot), pellets);
            for (const Vec3& pellet : pellets) addProjectile(world, mount, weapon, spec, line.muzzle, pellet);
        } else {
            addProjectile(world, mount, weapon, spec, line.muzzle, line.direction);
        }
        pilot.shots[mount] += 1;
        pilot.burst[mount] += 1;
        pilot.ammo[mount] -= 1;
        world.sounds.push_back({SoundEvent::kFired, static_cast<int>(weapon), line.muzzle});
        cooldown += spec.cooldown;
        ++fired;
        if (spec.cooldown <= 0.0f) break;
    }
    // An empty or finished mount does not bank time below zero.
    if (outOfShots(pilot, mount, spec)) cooldown = std::max(cooldown, 0.0f);
}

void swingFist(World& world, int mount, const WeaponSpec& spec, bool press) {
    Pilot& pilot = world.pilot;
    if (!press || pilot.cooldown[mount] > kReady) return;
    const Arm& arm = pilot.arms[mount];
    world.strike(arm.wrist + arm.forward * 1.7f, arm.forward, kEmptyHand, spec.damage, true);
    pilot.punches[mount] += 1;
    pilot.flash[mount] = kFlash;
    pilot.cooldown[mount] = spec.cooldown;
}

void runCutter(World& world, int mount, const WeaponSpec& spec, float dt) {
    Pilot& pilot = world.pilot;
    const bool tick = pilot.cooldown[mount] <= kReady;
    const Arm& arm = pilot.arms[mount];
    world.strike(arm.muzzle, arm.forward, kCutter, spec.damage * kCutterRate * dt, tick);
    if (!tick) return;
    pilot.punches[mount] += 1;
    pilot.flash[mount] = kFlash;
    pilot.cooldown[mount] += kCutterTick;
}

bool buttonHeld(const Input& input, int mount, Weapon weapon) {
    if (input.fire[mount]) return true;
    // Either hip button fires both hip grenade launchers.
    return weapon == kAutoGrenade && input.fire[mount == 4 ? 5 : 4];
}

void heldMount(World& world, const Input& input, int mount, Weapon weapon, float dt) {
    Pilot& pilot = world.pilot;
    float& cooldown = pilot.cooldown[mount];
    const bool press = !pilot.fireLatch[mount];
    if (press) cooldown = std::max(cooldown, 0.0f);
    const bool hand = mount < 2;
    const bool idle = weapon == kShield || pilot.missile.active ||
                      (hand && (!pilot.arms[mount].tracked || pilot.punchCooldown[mount] != 0.0f));
    const WeaponSpec& spec = weaponInfo(weapon, world.campaign);
    if (idle) {
        cooldown = std::max(cooldown, 0.0f);
    } else if (hand && weapon == kEmptyHand) {
        swingFist(world, mount, spec, press);
    } else if (hand && weapon == kCutter) {
        runCutter(world, mount, spec, dt);
    } else if (weapon == kCruiseMissile) {
        if (press && pilot.ammo[mount] > 0) launchCruise(world, input, mount);
    } else if (weapon == kHomingMissiles && pilot.homing_target < 0) {
        cooldown = std::max(cooldown, 0.0f);
    } else {
        fireGun(world, mount, weapon, spec);
    }
    pilot.fireLatch[mount] = true;
}

void releasedMount(World& world, int mount, Weapon weapon) {
    Pilot& pilot = world.pilot;
    pilot.burst[mount] = 0;
    pilot.fireLatch[mount] = false;
    // SB1 weapons other than the rail gun are ready again on the next press;
    // elsewhere the cooldown runs on across presses.
    if (world.campaign == 0 && weapon != kRail) {
        pilot.cooldown[mount] = 0.0f;
    } else {
        pilot.cooldown[mount] = std::max(pilot.cooldown[mount], 0.0f);
    }
}

}  // namespace

void fireMounts(World& world, const Input& input, float dt) {
    for (int mount = 0; mount < kMountCount; ++mount) {
        // Ids past the catalogue act as an empty mount.
        const Weapon stored = world.pilot.weapons[mount];
        const Weapon weapon = stored < kWeaponCount ? stored : kEmptyHand;
        if (buttonHeld(input, mount, weapon)) {
            heldMount(world, input, mount, weapon, dt);
        } else {
            releasedMount(world, mount, weapon);
        }
    }
}

}  // namespace bastion
