#include "world/internal/enemy_ai.h"
#include "world/internal/mission_rules.h"

namespace bastion {

void World::retireEnemy(Target& unit, bool hide) {
    if (inSB1Mission(*this, 1) && unit.active && unit.unitType == kWalkerUnit) countDown(counters[0]);
    unit.active = false;
    unit.hidden = hide;
    unit.state = kStateRetired;
    releaseMissionSlot(*this, unit);
    if (unit.derived) {
        // A generator's unit that leaves alive may be released again.
        const int owner = unit.generator;
        if (owner >= 0 && static_cast<std::size_t>(owner) < generators.size() && unit.health > 0.0f)
            generators[static_cast<std::size_t>(owner)].remaining += 1;
        return;
    }
    if (!unit.hidden) resetEnemy(unit, false);
}

void World::resetEnemy(Target& unit, bool hide) {
    unit.flags &= ~1u;
    unit.home = unit.anchor;
    unit.health = unit.initialHealth;
    unit.homeYaw = unit.initialYaw;
    unit.destroyed = false;
    unit.hidden = hide;
    unit.routeIndex = 0;
    unit.fireTimer = 0.0f;
    unit.state = kStateReset;
    unit.stateTimer = 0.0f;
    unit.alertTimer = 0.0f;
    unit.retargetTimer = 0.0f;
    unit.stuckTimer = 0.0f;
    unit.flash = 0.0f;
    unit.secondaryTimer = 0.0f;
    unit.cruiseDelay = 0.0f;
    unit.burstLeft = 0;
    unit.secondaryLeft = 0;
    unit.passes = 0;
    unit.sideCounter = 0;
    unit.chosenPilot = -1;
    unit.lastHealth = unit.health;
    unit.turretYaw = unit.homeYaw;
    unit.velocity = {};
    unit.started = false;
    if (unit.unitType == 7) unit.passes = unit.parameters[3];
    if (unit.unitType == 9) unit.cruiseDelay = static_cast<float>(unit.parameters[3]);
    updateEnemyBounds(unit);
}

}  // namespace bastion
