#include <algorithm>
#include <cmath>
#include <vector>

#include "world/internal/blast.h"
#include "world/internal/box.h"
#include "world/internal/mission_rules.h"
#include "world/internal/effect_step.h"
#include "world/projectile_sweep.h"
#include "world/segment_hit.h"
#include "world/world.h"

namespace bastion {

namespace {

constexpr float kGravity = 18.0f;
constexpr float kHomingTurnRate = 1.5f;  // radians per second
// A shot and a rocket meet within one unit of each other.
constexpr float kContactReach = 1.0f;
// Broad-phase bounds grow by this share of their coordinates' size: far more
// than the rounding of the exact tests, so no pair they would accept is cut.
constexpr float kBroadPhaseSlack = 1e-3f;

bool liveTarget(const Target& target) { return target.active && !target.hidden && target.health > 0.0f; }

void steerHoming(const World& world, Projectile& p, float dt) {
    if (p.weapon != kHomingMissiles || p.homingTarget < 0) return;
    const auto index = static_cast<std::size_t>(p.homingTarget);
    if (index >= world.targets.size() || !liveTarget(world.targets[index])) {
        p.homingTarget = -1;
        return;
    }
    const Vec3 toTarget = normalize(world.targets[index].position - p.position);
    const Vec3 heading = normalize(p.velocity);
    const float angle = std::acos(std::clamp(dot(toTarget, heading), -1.0f, 1.0f));
    const float f = angle <= 1e-4f ? 1.0f : std::min(1.0f, kHomingTurnRate * dt / angle);
    p.velocity = normalize(toTarget * f + heading * (1.0f - f)) * length(p.velocity);
}

// The pilot's hit box: 4 wide and 12 tall, standing on its ground point.
void testPilot(Pilot& candidate, const Projectile& p, Target& box, Sweep& sweep) {
    if (candidate.dead || !(candidate.health > 0.0f)) return;
    box.position = candidate.position + Vec3{0.0f, 6.0f, 0.0f};
    const float f = hit(p.position, sweep.end, box, 0.0f);
    if (f <= 1.0f && f < sweep.t) {
        sweep.t = f;
        sweep.clearHits();
        sweep.pilot = &candidate;
    }
}

void testTarget(const World& world, const Projectile& p, std::size_t k, Sweep& result) {
    const Target& target = world.targets[k];
    // An enemy's own fire never hits it or what it tows.
    if (p.owner >= 0 && (static_cast<int>(k) == p.owner || target.host == p.owner)) return;
    const float f = hit(p.position, result.end, target, 0.0f);
    if (f < result.t) {
        result.t = f;
        result.target = static_cast<int>(k);
    }
}

Sweep sweep(World& world, Projectile& p, float dt, Target& pilotBox) {
    steerHoming(world, p, dt);
    const float s = p.life < 0.0f ? 0.0f : std::min(dt, p.life);
    if (p.kind == kGrenade) p.velocity.y -= kGravity * s;
    Sweep result;
    result.end = p.position + p.velocity * s;

    ProjectileStepBuffers& buffers = world.projectileBuffers;
    if (buffers.broadPhase) {
        // The candidates keep the list's order, so the first hit and every tie stay the same.
        findOverlaps(buffers.boxes, segmentBounds(p.position, result.end, 0.0f, kBroadPhaseSlack), buffers.found);
        for (const std::size_t k : buffers.found) {
            if (liveTarget(world.targets[k])) testTarget(world, p, k, result);
        }
    } else {
        for (std::size_t k = 0; k < world.targets.size(); ++k) {
            if (liveTarget(world.targets[k])) testTarget(world, p, k, result);
        }
    }
    const float ground = world.groundContact(p.position, result.end);
    if (ground < result.t) {
        result.t = ground;
        result.clearHits();
    }
    if (!world.coop) {
        // A player's own fire never tests the player.
        if (p.mount < 0) testPilot(world.pilot, p, pilotBox, result);
    } else {
        for (Pilot* member : world.session) {
            if (member && (p.mount < 0 || member->slot != p.shooter)) testPilot(*member, p, pilotBox, result);
        }
    }
    return result;
}

// Fraction of the step at which a shot and a rocket come within one unit of
// each other, or a negative value when they do not.
float closingContact(const Projectile& shot, const Sweep& shotSweep, const Projectile& rocket,
                     const Sweep& rocketSweep) {
    const Vec3 d = shot.position - rocket.position;
    const float c = dot(d, d) - 1.0f;
    if (c <= 0.0f) return 0.0f;
    const Vec3 w = (shotSweep.end - shot.position) - (rocketSweep.end - rocket.position);
    const float a = dot(w, w);
    if (a < 1e-10f) return -1.0f;
    const float b = dot(d, w);
    const float discriminant = b * b - a * c;
    if (!(discriminant >= 0.0f)) return -1.0f;
    const float f = (-b - std::sqrt(discriminant)) / a;
    return f >= 0.0f && f <= 1.0f ? f : -1.0f;
}

void intercept(std::vector<Projectile>& projectiles, ProjectileStepBuffers& buffers) {
    std::vector<Sweep>& sweeps = buffers.sweeps;
    BoundsColumns& rockets = buffers.rockets;
    std::vector<Interception>& contacts = buffers.contacts;
    rockets.clear();
    contacts.clear();
    for (std::size_t j = 0; j < projectiles.size(); ++j) {
        const Projectile& rocket = projectiles[j];
        if (rocket.kind == kRocket && !rocket.intercepted && rocket.life > 0.0f) {
            rockets.add(j, buffers.broadPhase
                               ? segmentBounds(rocket.position, sweeps[j].end, kContactReach, kBroadPhaseSlack)
                               : everywhere());
        }
    }
    for (std::size_t i = 0; i < projectiles.size() && rockets.size() > 0; ++i) {
        const Projectile& shot = projectiles[i];
        if (shot.kind != kShot || !(shot.life > 0.0f)) continue;
        const Bounds swept = buffers.broadPhase
                                 ? segmentBounds(shot.position, sweeps[i].end, kContactReach, kBroadPhaseSlack)
                                 : everywhere();
        findOverlaps(rockets, swept, buffers.found);
        for (const std::size_t j : buffers.found) {
            const Projectile& rocket = projectiles[j];
            // A salvo does not shoot down its own rockets as they leave the launcher.
            const bool ownSalvo = rocket.shooter == shot.shooter && rocket.owner == shot.owner;
            if (ownSalvo && std::sqrt(dot(shot.position - rocket.position, shot.position - rocket.position)) <= 1.01f) {
                continue;
            }
            const float f = closingContact(shot, sweeps[i], rocket, sweeps[j]);
            if (f >= 0.0f && f < sweeps[i].t && f < sweeps[j].t) contacts.push_back({f, i, j});
        }
    }
    // Equal fractions keep the order they were found in: shots, then rockets,
    // in list order. (A stable sort would allocate its buffer every step.)
    std::sort(contacts.begin(), contacts.end(), [](const Interception& a, const Interception& b) {
        if (a.t != b.t) return a.t < b.t;
        return a.shot != b.shot ? a.shot < b.shot : a.rocket < b.rocket;
    });
    for (const Interception& contact : contacts) {
        Sweep& shotSweep = sweeps[contact.shot];
        Projectile& rocket = projectiles[contact.rocket];
        if (shotSweep.intercepting || rocket.intercepted) continue;
        shotSweep.intercepting = true;
        shotSweep.t = contact.t;
        shotSweep.clearHits();
        projectiles[contact.shot].life = 0.0f;
        wearHull(rocket, projectiles[contact.shot].damage);
        if (rocket.intercepted) {
            sweeps[contact.rocket].t = contact.t;
            sweeps[contact.rocket].clearHits();
        }
    }
}

// Direct-hit damage to a target.
float targetDamage(const World& world, const Projectile& p, const Target& target) {
    const bool player = p.mount >= 0;
    if (shieldedObjective(world, target)) {
        return player && p.weapon == kGrenadeRack ? p.damage : 0.0f;
    }
    if (!player) return p.radius != 0.0f ? 0.0f : p.damage;
    const bool unit = target.unitType >= 0;
    if (p.weapon == kRocketLauncher) return unit ? 20.1f : 30.0f;
    if (p.weapon == kAutoGrenade) {
        if (target.unitType == 3) return 5.0f;
        if (world.campaign != 0 && world.missionIndex == 16 && !unit && target.objectType == 48) return 15.0f;
    }
    return p.damage;
}

void strikeHome(World& world, Projectile& p, const Sweep& sweep) {
    if (sweep.target >= 0) {
        Target& target = world.targets[static_cast<std::size_t>(sweep.target)];
        if (target.active && target.health > 0.0f && !target.hasDestination) {
            target.health -= targetDamage(world, p, target);
            if (target.health <= 0.0f) ++world.kills;
        }
    }
    if (sweep.pilot) {
        if (p.mount >= 0) {
            world.damagePilot(*sweep.pilot, p.weapon == kRocketLauncher ? 20.1f : p.damage);
        } else if (p.radius == 0.0f) {
            world.damagePilot(*sweep.pilot, p.damage);
        }
    }
    p.life = 0.0f;
}

struct Blast {
    float size;
    float radius;
    float rate;
};

Blast playerBlast(const World& world, const Projectile& p, const Sweep& sweep) {
    switch (p.weapon) {
        case kRocketLauncher:
            if (sweep.target >= 0) {
                const int type = world.targets[static_cast<std::size_t>(sweep.target)].unitType;
                return {10.0f, 5.0f, type == 8 ? 0.0f : type >= 0 ? 35.0f : 25.0f};
            }
            if (sweep.pilot) return {10.0f, 5.0f, 35.0f};
            return {4.0f, 0.0f, 0.0f};
        case kGrenadeRack: return {20.0f, 15.0f, 125.0f};
        case kAutoGrenade: return {4.0f, 0.0f, 0.0f};
        default: return {10.0f, 0.0f, 0.0f};
    }
}

void finish(World& world, const Projectile& p, const Sweep& sweep) {
    const int weapon = static_cast<int>(p.weapon);
    if (p.intercepted) {
        world.destruction(p.position, 3.0f, p.weapon, 0.0f, 0.0f);
        world.sounds.push_back({SoundEvent::kExplosion, weapon, p.position});
    } else if (p.kind == kShot) {
        // A shot that simply expired leaves nothing.
        if (sweep.t <= 1.0f) {
            world.effect(WeaponEffect::kSpark, p.position, p.velocity, p.weapon, p.weapon == kRail ? 2.0f : 0.7f);
        }
    } else if (p.mount < 0) {
        explodeInStep(world, p.position, p.radius, p.damage);
        if (p.radius > 0.0f) blastPilots(world, p.position, p.radius, p.damage);
        world.destruction(p.position, p.kind == kRocket ? 10.0f : 20.0f, p.weapon, 0.0f, 0.0f);
        world.sounds.push_back({SoundEvent::kExplosion, weapon, p.position});
    } else {
        // Grenades burst above the ground rather than in a pit.
        Vec3 point = p.position;
        const float lift = p.weapon == kAutoGrenade ? 1.5f : p.weapon == kGrenadeRack ? 6.0f : -1.0f;
        if (lift > 0.0f) point.y = std::max(point.y, world.surfaceHeight(point.x, point.z) + lift);
        const Blast blast = playerBlast(world, p, sweep);
        world.destruction(point, blast.size, p.weapon, blast.radius, blast.rate);
        world.sounds.push_back({SoundEvent::kExplosion, weapon, p.position});
    }
}

}  // namespace

void World::stepProjectiles(float dt) {
    if (!(dt > 0.0f) || !std::isfinite(dt)) return;

    for (Projectile& p : projectiles) {
        if (p.kind == kRocket && !p.intercepted && p.hull < 0.0f) p.hull = initialHull(p);
    }
    // No target moves, arrives or leaves the list before the step ends, so
    // their boxes are bounded once; health and the other flags are read live.
    ProjectileStepBuffers& buffers = projectileBuffers;
    buffers.boxes.clear();
    if (buffers.broadPhase) {
        for (std::size_t k = 0; k < targets.size(); ++k) {
            buffers.boxes.add(k, boxBounds(targets[k].position, targets[k].extent, kBroadPhaseSlack));
        }
    }
    stepEffects(*this, dt);

    Target pilotBox;
    pilotBox.extent = {2.0f, 6.0f, 2.0f};
    buffers.sweeps.clear();
    for (Projectile& p : projectiles) buffers.sweeps.push_back(sweep(*this, p, dt, pilotBox));

    intercept(projectiles, buffers);

    const std::vector<Sweep>& sweeps = buffers.sweeps;
    for (std::size_t i = 0; i < projectiles.size(); ++i) {
        Projectile& p = projectiles[i];
        const Sweep& s = sweeps[i];
        p.position = p.position + (s.end - p.position) * std::min(s.t, 1.0f);
        if (!p.intercepted && !s.intercepting && s.t <= 1.0f) strikeHome(*this, p, s);
        p.life -= dt;
        if (p.life <= 0.0f) finish(*this, p, s);
    }

    if (pilot.status == kStatusIdle) {
        // Without a running mission nothing else turns wrecks into explosions.
        for (Target& target : targets) {
            if (target.active && target.health <= 0.0f && !target.destroyed) targetDestroyed(target);
        }
    }
    std::erase_if(projectiles, [](const Projectile& p) { return p.life <= 0.0f; });
}

}  // namespace bastion
