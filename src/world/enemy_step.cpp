#include <algorithm>
#include <cmath>

#include "world/internal/enemy_ai.h"
#include "world/internal/mission_rules.h"

namespace bastion {
namespace {

constexpr int kSupplyCrate = 21;
constexpr float kAlertTime = 4.0f;
constexpr float kDefaultSight = 160.0f;
constexpr float kGravity = 9.8f;
constexpr float kTrailerTurnRate = 1.8f;
// Spawn flags bits 0..2: the unit may not activate by itself.
constexpr u32 kNoActivation = 0x7u;
constexpr u32 kParentLost = 0x2u;

Target* targetAt(World& world, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= world.targets.size()) return nullptr;
    return &world.targets[static_cast<std::size_t>(index)];
}

// A trailer keeps its distance behind the unit that tows it.
void followHost(World& world, Target& unit, const Target& host, float dt) {
    if (!(host.health > 0.0f) || host.hidden) {
        unit.active = false;
        unit.hidden = true;
        return;
    }
    unit.active = host.active;
    if (!unit.active) return;
    const float gap = static_cast<float>(unit.parameters[0]) / 100.0f;
    const Vec3 toHost = host.home - unit.home;
    if (std::hypot(toHost.x, toHost.z) <= gap) return;
    const float error = wrap(headingOf(toHost) - unit.homeYaw);
    const float limit = kTrailerTurnRate * dt;
    unit.homeYaw = wrap(unit.homeYaw + std::clamp(error, -limit, limit));
    unit.home = host.home + gap * Vec3{std::sin(unit.homeYaw), 0.0f, std::cos(unit.homeYaw)};
    world.updateEnemyBounds(unit);
}

// A unit waiting on a parent rides along on it until it activates.
void rideParent(World& world, Target& unit, const Target& parent) {
    if (!(parent.health > 0.0f)) {
        unit.flags |= kParentLost;
        return;
    }
    if (!parent.active) return;
    unit.home = parent.home + turnedByYaw(unit.mountOffset, parent.homeYaw);
    unit.anchor = unit.home;
    world.updateEnemyBounds(unit);
}

bool activates(const World& world, const Target& unit) {
    if (unit.derived || (unit.flags & kNoActivation) != 0) return false;
    return world.triggerReady(unit.trigger) && world.nearestPlayerRange(unit.home) <= unit.range;
}

void start(World& world, Target& unit, u64 index) {
    unit.started = true;
    unit.lastHealth = unit.health;
    if (unit.initialHealth == 0.0f) unit.initialHealth = unit.health;
    if (unit.targetSlot >= 1 && unit.targetSlot <= 31) {
        world.slots[unit.targetSlot] = static_cast<int>(index);
        setMissionFlag(world, static_cast<u32>(unit.targetSlot));
    }
    unit.state = kStatePatrol;
}

void fall(World& world, Target& unit, float dt) {
    unit.velocity.y -= kGravity * dt;
    unit.home.y += unit.velocity.y * dt;
    if (unit.home.y <= unit.anchor.y) {
        unit.home.y = unit.anchor.y;
        unit.dropped = false;
        unit.velocity = {};
    }
    world.updateEnemyBounds(unit);
}

bool leashed(const World& world, const Target& unit) {
    return unit.respawn > 0.0f && world.nearestPlayerRange(unit.home) > unit.respawn &&
           world.nearestPlayerRange(unit.anchor) > unit.range;
}

// Hits and timers; returns whether the unit was hit this step.
bool tick(Target& unit, float dt) {
    const bool hit = unit.health < unit.lastHealth;
    const bool ignoresHits = unit.unitType == 0 && (unit.behaviour & kBit20) != 0;
    if (hit && !ignoresHits)
        unit.alertTimer = kAlertTime;
    else
        unit.alertTimer = std::max(unit.alertTimer - dt, 0.0f);
    unit.lastHealth = unit.health;
    unit.stateTimer -= dt;
    unit.fireTimer -= dt;
    unit.secondaryTimer -= dt;
    unit.flash = std::max(unit.flash - dt, 0.0f);
    return hit;
}

void stepUnit(World& world, u64 index, float dt) {
    Target& unit = world.targets[index];
    if (!unit.dropped) unit.velocity = {};

    if (unit.host >= 0) {
        if (const Target* host = targetAt(world, unit.host)) {
            followHost(world, unit, *host, dt);
            return;
        }
    }
    if (unit.parent >= 0 && !unit.active) {
        if (const Target* parent = targetAt(world, unit.parent)) rideParent(world, unit, *parent);
    }
    if (!unit.active) {
        if (!activates(world, unit)) return;
        unit.active = true;
        unit.parent = -1;
        if (inSB1Mission(world, 1) && unit.unitType == kWalkerUnit) world.counters[0] += 1;
    }
    if (!unit.started) start(world, unit, index);

    if (world.campaign != 0 && unit.unitType == kSupplyCrate) {
        Pickup crate;
        crate.position = unit.home;
        crate.kind = unit.attackSlot;  // the record's first 16 bits
        world.pickups.push_back(crate);
        world.retireEnemy(unit, true);
        return;
    }
    if (unit.dropped) {
        fall(world, unit, dt);
        return;
    }
    if (leashed(world, unit)) {
        world.retireEnemy(unit, false);
        return;
    }
    const bool hit = tick(unit, dt);

    int victim = kLeadingPilotId;
    const Vec3 aim = world.enemyDestination(unit, victim);
    const Vec3 d = aim - unit.position;
    const float reach = std::max(std::fabs(d.x), std::fabs(d.z));
    const bool clear = world.enemyLineOfSight(unit.position, aim, static_cast<int>(index), victim);
    const float sight = unit.parameters[0] != 0 ? static_cast<float>(unit.parameters[0]) / 100.0f : kDefaultSight;
    if (clear && reach <= sight) unit.alertTimer = kAlertTime;
    const bool alerted = unit.alertTimer > 0.0f;

    EnemyView view{world, index, unit, dt, aim, victim, d, std::hypot(d.x, d.z), reach, sight, clear, alerted, hit};
    runBehaviour(view);
}

}  // namespace

void World::stepEnemies(float dt) {
    if (!std::isfinite(dt) || dt < 0.0f) return;
    selectPlayerTargets(dt);
    for (std::size_t index = 0; index < targets.size(); ++index) {
        const Target& unit = targets[index];
        if (unit.unitType < 0 || !(unit.health > 0.0f) || unit.hidden) continue;
        stepUnit(*this, index, dt);
    }
}

}  // namespace bastion
