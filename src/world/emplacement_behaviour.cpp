#include "world/internal/enemy_ai.h"

namespace bastion {
namespace {

Burst emplacementBurst(const EnemyView& view) {
    const float interval = view.word(1, 256.0f);
    if (!view.has(kBit01)) return {view.unit.parameters[2], interval, view.word(3, 256.0f), kShot, 64.0f, 4.0f, 0.0f, {}};
    // Launchers fire one rocket at a time; a launcher without rockets
    // (word 2 of 0) fires single shots instead.
    if (view.unit.parameters[2] == 0) return {1, interval, interval, kShot, 64.0f, 4.0f, 0.0f, {}};
    return {1, interval, interval, kRocket, 70.0f, 20.0f, 5.0f, {}};
}

}  // namespace

// Gun emplacements sit idle until alerted, then turn their gun, and with it
// the whole model, to fire.
void emplacementBehaviour(EnemyView& view) {
    Target& unit = view.unit;
    if (!view.alerted) {
        enterState(unit, kStatePatrol);
        return;
    }
    enterState(unit, kStateAttack);
    burstFire(view, emplacementBurst(view));
    if (unit.homeYaw != unit.turretYaw) {
        unit.homeYaw = unit.turretYaw;
        view.world.updateEnemyBounds(unit);
    }
}

void stationaryBehaviour(EnemyView& view) { enterState(view.unit, kStatePatrol); }

}  // namespace bastion
