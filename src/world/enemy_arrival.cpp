#include <algorithm>

#include "world/internal/mission_rules.h"

namespace bastion {
namespace {

// No other truck is still on its way: each has left the map, holds its
// position or is a wreck.
bool lastTruckOnItsWay(const World& world, const Target& truck) {
    return std::all_of(world.targets.begin(), world.targets.end(), [&](const Target& t) {
        return &t == &truck || t.unitType != kTruckUnit || t.hidden || (t.flags & kHoldsPosition) != 0 ||
               !(t.health > 0.0f);
    });
}

}  // namespace

void World::arrivedEnemy(Target& target) {
    if (target.unitType == kTruckUnit) {
        if (inSB1Mission(*this, 6) || inSB2Mission(*this, 9)) setMissionFlag(*this, kConvoyArrivedFlag);
        if (target.critical && lastTruckOnItsWay(*this, target)) setMissionFlag(*this, kConvoyArrivedFlag);
    } else if (target.unitType == kCarBombUnit && campaign != 0) {
        ++counters[0];
        destruction(target.position, 12.0f, 0, 0.0f, 0.0f);
        sounds.push_back({SoundEvent::kExplosion, 0, target.position});
    }
}

}  // namespace bastion
