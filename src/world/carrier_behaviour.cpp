#include "world/internal/enemy_ai.h"

namespace bastion {
namespace {

constexpr float kLeaveTime = 4.0f;

CargoFlight* flightOf(World& world, u64 carrier) {
    for (CargoFlight& flight : world.cargoFlights) {
        if (flight.carrier == carrier) return &flight;
    }
    return nullptr;
}

void dropPass(EnemyView& view, CargoFlight& flight) {
    Target& unit = view.unit;
    flyStraight(view, true);
    if (unit.secondaryTimer <= 0.0f && unit.secondaryLeft > 0) {
        view.world.dropCargo(view.index);
        unit.secondaryLeft -= 1;
        unit.secondaryTimer = flight.dropInterval;
    }
    if (unit.secondaryLeft <= 0) {
        if (flight.passes > 0) flight.passes -= 1;
        enterState(unit, kStateLeave);
        unit.stateTimer = kLeaveTime;
    }
}

}  // namespace

// SB2 carriers fly their route and, from the drop waypoint on, make drop
// passes with their cargo flight until its passes are spent.
void carrierBehaviour(EnemyView& view) {
    Target& unit = view.unit;
    CargoFlight* flight = flightOf(view.world, view.index);
    if (!flight) {
        enterState(unit, kStatePatrol);
        followRoute(view, true);
        return;
    }
    switch (unit.state) {
    case kStateRun: dropPass(view, *flight); break;
    case kStateLeave:
        flyStraight(view, true);
        if (unit.stateTimer > 0.0f) break;
        if (flight->passes == 0)
            view.world.retireEnemy(unit, true);
        else
            enterState(unit, kStatePatrol);
        break;
    default:
        enterState(unit, kStatePatrol);
        followRoute(view, false);
        if (unit.state == kStatePatrol && flight->passes > 0 && unit.routeIndex >= flight->dropWaypoint) {
            enterState(unit, kStateRun);
            unit.secondaryLeft = static_cast<int>(flight->dropsPerPass);
            unit.secondaryTimer = flight->dropInterval;
        }
        break;
    }
}

}  // namespace bastion
