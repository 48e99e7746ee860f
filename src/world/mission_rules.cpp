#include "world/internal/mission_rules.h"

#include <cmath>

#include "world/internal/enemy_ai.h"

namespace bastion {

void releaseMissionSlot(World& world, const Target& target) {
    const int slot = target.targetSlot;
    if (slot < 1 || slot > 31) return;
    const int index = indexOf(world, target);
    if (index < 0 || world.slots[slot] != index) return;
    world.slots[slot] = -1;
    clearMissionFlag(world, static_cast<u32>(slot));
}

void dropPickup(World& world, int kind, Vec3 home) {
    Pickup pickup;
    pickup.position = {home.x, 1.5f, home.z};
    pickup.kind = kind;
    world.pickups.push_back(pickup);
}

void lightProgressFlags(World& world) {
    if (world.initialCounter < 1) return;
    const long long left = world.counters[2] > 0 ? world.counters[2] : 0;
    const long long q = 8 * left / (static_cast<long long>(world.initialCounter) + 1);
    if (q <= 6) setMissionFlag(world, static_cast<u32>(6 - q));
}

void checkSB1ZoneRule(World& world) {
    if (!inSB1Mission(world, 5)) return;
    const Vec3 p = world.pilot.position;
    if (p.x >= -232.96f && p.x <= 230.4f && std::fabs(p.z) <= 99.84f) setMissionFlag(world, 1);
}

void settleMission(World& world, MissionVerdict verdict) {
    if (verdict.lost) {
        loseMission(world);
    } else if (verdict.won && !world.destructionPending()) {
        world.pilot.status = kStatusWon;
    }
}

}  // namespace bastion
