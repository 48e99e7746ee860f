#include <algorithm>

#include "world/mission_rules.h"

namespace bastion {
namespace {

constexpr int kTruck = 8;
constexpr int kCarBomb = 17;
constexpr u32 kConvoyArrived = 30;
constexpr u32 kHoldsPosition = 1u << 2;

// No other truck is still on its way: each has left the map, holds its
// position or is a wreck.
bool lastTruckOnItsWay(const World& world, const Target& truck) {
    return std::all_of(world.targets.begin(), world.targets.end(), [&](const Target& t) {
        return &t == &truck || t.unitType != kTruck || t.hidden || (t.flags & kHoldsPosition) != 0 ||
               !(t.health > 0.0f);
    });
}

}  // namespace

void World::arrivedEnemy(Target& target) {
    if (target.unitType == kTruck) {
        if (inSB1Mission(*this, 6) || inSB2Mission(*this, 9)) setMissionFlag(*this, kConvoyArrived);
        if (target.critical && lastTruckOnItsWay(*this, target)) setMissionFlag(*this, kConvoyArrived);
    } else if (target.unitType == kCarBomb && campaign != 0) {
        ++counters[0];
        destruction(target.position, 12.0f, 0, 0.0f, 0.0f);
        sounds.push_back({SoundEvent::kExplosion, 0, target.position});
    }
}

}  // namespace bastion
