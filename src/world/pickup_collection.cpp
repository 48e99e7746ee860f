#include <algorithm>
#include <cmath>

#include "world/internal/mission_rules.h"

namespace bastion {
namespace {

constexpr float kReach = 7.0f;
constexpr int kSupplies = 22;

// Kinds whose first taking completes a "capture" objective.
bool capturesObjective(int kind) {
    return kind == 7 || kind == 8 || kind == 14 || kind == 16 || kind == 20 || kind == 21;
}

bool countsSupplies(const World& world) {
    return inSB2Mission(world, 2) || inSB2Mission(world, 12) || inSB2Mission(world, 16) || inSB1Mission(world, 3);
}

void firstTaking(World& world, int kind) {
    if (capturesObjective(kind)) setMissionFlag(world, kObjectiveTakenFlag);
    if (kind == kSupplies && countsSupplies(world)) countDown(world.counters[0]);
}

// A crate repairs the walker and tops up every mount by a quarter of its
// full load (an eighth in co-op, where every member may take the crate).
// Fractions of a round are carried over to the next crate.
void resupply(Pilot& pilot, bool coop) {
    pilot.health = std::min(pilot.health + (coop ? 7.5f : 15.0f), 100.0f);
    for (int mount = 0; mount < kMountCount; ++mount) {
        const int full = weaponInfo(pilot.weapons[mount], 0).ammo;
        const float gain = static_cast<float>(full / 4) * (coop ? 0.5f : 1.0f) + pilot.ammoFraction[mount];
        const float whole = std::floor(gain);
        pilot.ammo[mount] = std::min(pilot.ammo[mount] + static_cast<int>(whole), full);
        pilot.ammoFraction[mount] = pilot.ammo[mount] >= full ? 0.0f : gain - whole;
    }
}

}  // namespace

void World::collectPickups() {
    if (pilot.status != kStatusActive) return;
    checkSB1ZoneRule(*this);
    const u32 bit = 1u << (static_cast<u32>(pilot.slot) & 31u);
    for (Pickup& pickup : pickups) {
        if (coop ? (pickup.collectedBy & bit) != 0 : pickup.collected) continue;
        const float dx = pickup.position.x - pilot.position.x;
        const float dz = pickup.position.z - pilot.position.z;
        if (!(std::sqrt(dx * dx + dz * dz) < kReach)) continue;
        pickup.collectedBy |= bit;
        if (!pickup.collected) firstTaking(*this, pickup.kind);
        pickup.collected = true;
        resupply(pilot, coop);
        sounds.push_back({SoundEvent::kPickup, 0, pickup.position});
    }
}

}  // namespace bastion
