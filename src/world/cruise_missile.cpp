#include <algorithm>
#include <cmath>

#include "world/internal/box.h"
#include "world/internal/mission_rules.h"
#include "world/pilot_step.h"
#include "world/segment_hit.h"
#include "world/internal/session.h"

namespace bastion {
namespace {

constexpr float kFlightTime = 8.0f;     // seconds
constexpr float kSpeed = 32.0f;         // units per second
constexpr float kTurnRate = 1.8f;       // radians per second, yaw and pitch
constexpr float kSteerYaw = 0.78539816339744831f;
constexpr float kSteerPitch = 1.3f;
constexpr float kDirectHit = 1000.0f;
constexpr float kBlastSize = 30.0f;
constexpr float kBlastRadius = 20.0f;

bool liveTarget(const Target& target) { return target.active && !target.hidden && target.health > 0.0f; }

// What a direct hit does to a target; some units and objectives shrug it off.
float directDamage(const World& world, const Target& target) {
    if (world.campaign == 0) {
        if (shieldedObjective(world, target)) return 0.0f;
        return target.unitType == 3 ? 130.0f : kDirectHit;
    }
    if (target.unitType == 3 || target.unitType == 8 || target.unitType == 18) return 0.0f;
    if (world.missionIndex == 16 && target.unitType < 0 && target.objectType == 48) return 0.0f;
    return kDirectHit;
}

void strikeTarget(World& world, Target& target) {
    const float damage = directDamage(world, target);
    if (damage <= 0.0f || !target.active || !(target.health > 0.0f) || target.hasDestination) return;
    target.health -= damage;
    if (target.health <= 0.0f) ++world.kills;
}

void detonate(World& world) {
    Missile& missile = world.pilot.missile;
    const float rate = world.campaign == 0 ? 125.0f : 125.1f;
    world.destruction(missile.position, kBlastSize, kCruiseMissile, kBlastRadius, rate);
    world.sounds.push_back({SoundEvent::kExplosion, static_cast<int>(kCruiseMissile), missile.position});
    missile.active = false;
    world.resetTracking();
}

}  // namespace

void launchCruise(World& world, const Input& input, int mount) {
    Pilot& pilot = world.pilot;
    const float heading = torsoHeading(pilot);
    const float side = mount % 2 == 1 ? 2.5f : -2.5f;
    const Vec3 start = eyePosition(pilot) + rotate(angles(heading, 0.0f, 0.0f), {side, -0.5f, -2.0f});
    Missile& missile = pilot.missile;
    missile.active = true;
    missile.position = start;
    missile.yaw = heading;
    missile.pitch = 0.0f;
    missile.life = kFlightTime;
    missile.launchYaw = heading;
    missile.headYaw = input.axes[3];
    missile.headPitch = input.axes[4];
    pilot.shots[mount] += 1;
    pilot.ammo[mount] -= 1;
    world.sounds.push_back({SoundEvent::kFired, static_cast<int>(kCruiseMissile), start});
}

void guideCruise(World& world, const Input& input, float dt) {
    Missile& missile = world.pilot.missile;
    // The pilot steers by turning the aim away from where it pointed at launch.
    const float wantedYaw =
        wrap(missile.launchYaw + std::clamp(wrap(input.axes[3] - missile.headYaw), -kSteerYaw, kSteerYaw));
    const float wantedPitch = std::clamp(input.axes[4] - missile.headPitch, -kSteerPitch, kSteerPitch);
    const float turn = kTurnRate * dt;
    missile.yaw = wrap(missile.yaw + std::clamp(wrap(wantedYaw - missile.yaw), -turn, turn));
    missile.pitch += std::clamp(wantedPitch - missile.pitch, -turn, turn);
    const Vec3 next = missile.position + direction(missile.yaw, missile.pitch) * (kSpeed * dt);

    int struck = -1;
    float t = kMiss;
    for (std::size_t i = 0; i < world.targets.size(); ++i) {
        if (!liveTarget(world.targets[i])) continue;
        const float f = hit(missile.position, next, world.targets[i], 0.0f);
        if (f < t) {
            t = f;
            struck = static_cast<int>(i);
        }
    }
    const float ground = world.groundContact(missile.position, next);
    if (ground < t) struck = -1;
    float f = std::min(t, ground);
    Pilot* struckPilot = nullptr;
    if (world.coop) {
        Target box;
        box.extent = {2.0f, 6.0f, 2.0f};
        for (Pilot* other : world.session) {
            if (!other || isLeadingPilot(world, *other) || other->dead || !(other->health > 0.0f)) continue;
            box.position = other->position + Vec3{0.0f, 6.0f, 0.0f};
            const float fraction = hit(missile.position, next, box, 0.0f);
            if (fraction < f) {
                f = fraction;
                struck = -1;
                struckPilot = other;
            }
        }
    }
    missile.position = missile.position + (next - missile.position) * std::min(1.0f, f);
    missile.life -= dt;

    if (f <= 1.0f) {
        if (struckPilot) world.damagePilot(*struckPilot, kDirectHit);
        if (struck >= 0) strikeTarget(world, world.targets[static_cast<std::size_t>(struck)]);
        detonate(world);
    } else if (world.surfaceHeight(missile.position.x, missile.position.z) > missile.position.y ||
               missile.life <= 0.0f) {
        detonate(world);
    }
}

}  // namespace bastion
