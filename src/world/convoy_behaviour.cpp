#include "world/internal/enemy_ai.h"

namespace bastion {

// Convoy vehicles drive their route once and leave the map at its end.
void convoyBehaviour(EnemyView& view) {
    enterState(view.unit, kStatePatrol);
    followRoute(view, true);
}

// Patrols its route for good and shoots at whatever alerts it.
void patrolGunnerBehaviour(EnemyView& view) {
    enterState(view.unit, kStatePatrol);
    followRoute(view, false);
    if (view.alerted) burstFire(view, {3, 0.15f, 2.0f, kShot, 85.0f, 4.0f, 0.0f, {}});
}

}  // namespace bastion
