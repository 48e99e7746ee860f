#include <algorithm>

#include "world/internal/enemy_ai.h"
#include "world/internal/mission_rules.h"

namespace bastion {
namespace {

constexpr u32 kBurstMode = 1u << 0;
constexpr u32 kStopWhileFlag = 1u << 1;
constexpr u32 kWaitForFlag = 1u << 2;
constexpr u32 kSB2StopWhileFlag = 1u << 3;
constexpr float kShortestWait = 0.1f;

// A generator riding on a unit follows it; false while that unit is a
// wreck, which keeps the generator silent. A parent outside the target list
// counts as no parent.
bool followParent(World& world, Generator& generator) {
    Target& unit = generator.unitTemplate;
    if (unit.parent < 0 || static_cast<std::size_t>(unit.parent) >= world.targets.size()) return true;
    const Target& parent = world.targets[static_cast<std::size_t>(unit.parent)];
    if (!(parent.health > 0.0f)) return false;
    generator.anchor = parent.home;
    unit.home = parent.home + turnedByYaw(unit.mountOffset, parent.homeYaw);
    unit.anchor = unit.home;
    world.updateEnemyBounds(unit);
    return true;
}

bool heldByFlag(const World& world, const Generator& generator) {
    const bool flag = missionFlag(world, (generator.flags >> 16) & 31u);
    const u32 f = generator.flags;
    return ((f & kSB2StopWhileFlag) != 0 && world.campaign != 0 && flag) || ((f & kStopWhileFlag) != 0 && flag) ||
           ((f & kWaitForFlag) != 0 && !flag);
}

// The first reserved entry that may take a new unit; entries outside the
// target list are never used.
Target* freeMember(World& world, const Generator& generator) {
    for (const u64 index : generator.members) {
        if (index >= world.targets.size()) continue;
        Target& member = world.targets[index];
        if (freeEntry(member)) return &member;
    }
    return nullptr;
}

void release(World& world, Generator& generator, Target& member) {
    member = generator.unitTemplate;
    member.parent = -1;
    const u64 index = static_cast<u64>(indexOf(world, member));
    for (CargoFlight& flight : world.cargoFlights) {
        if (flight.carrier == index) flight.passes = static_cast<u32>(member.parameters[5]);
    }
    --generator.remaining;
    generator.timer = std::max(generator.interval, kShortestWait);
    if ((generator.flags & kBurstMode) != 0 && generator.burstSize != 0 && --generator.burstCounter == 0) {
        generator.timer = std::max(generator.burstPause, kShortestWait);
        generator.burstCounter = generator.burstSize;
    }
    if (inSB1Mission(world, 1) && member.unitType == kWalkerUnit) ++world.counters[0];
}

}  // namespace

void World::stepGenerators(float dt) {
    for (Generator& generator : generators) {
        if (!followParent(*this, generator)) continue;
        if (generator.remaining == 0 || heldByFlag(*this, generator) || !triggerReady(generator.trigger)) continue;
        if (generator.activationRange > 0.0f && nearestPlayerRange(generator.anchor) > generator.activationRange)
            continue;
        Target* member = freeMember(*this, generator);
        if (!member) continue;
        generator.timer -= dt;
        if (generator.timer > 0.0f) continue;
        release(*this, generator, *member);
    }
}

}  // namespace bastion
