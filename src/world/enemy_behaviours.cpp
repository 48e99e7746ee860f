#include "world/internal/enemy_ai.h"

namespace bastion {
namespace {

using Behaviour = void (*)(EnemyView&);

struct TypeBehaviour {
    Behaviour act;
    bool sb2Only;
};

// By unit type 0..22; null: the type has no behaviour of its own (the
// generator record, and the supply crate that the step itself turns into
// a pickup).
constexpr TypeBehaviour kBehaviours[kEnemyTypeCount] = {
    {tankBehaviour, false},          // 0
    {helicopterBehaviour, false},    // 1
    {emplacementBehaviour, false},   // 2
    {walkerBehaviour, false},        // 3
    {nullptr, false},                // 4
    {emplacementBehaviour, false},   // 5
    {convoyBehaviour, false},        // 6
    {bomberBehaviour, false},        // 7
    {convoyBehaviour, false},        // 8
    {shipBehaviour, false},          // 9
    {emplacementBehaviour, false},   // 10
    {heavyWalkerBehaviour, true},    // 11
    {carrierBehaviour, true},        // 12
    {stationaryBehaviour, true},     // 13
    {heavyWalkerBehaviour, true},    // 14
    {convoyBehaviour, true},         // 15
    {stationaryBehaviour, true},     // 16
    {convoyBehaviour, true},         // 17
    {fighterBehaviour, true},        // 18
    {heavyWalkerBehaviour, true},    // 19
    {stationaryBehaviour, true},     // 20
    {nullptr, true},                 // 21
    {patrolGunnerBehaviour, true},   // 22
};

}  // namespace

void runBehaviour(EnemyView& view) {
    const int type = view.unit.unitType;
    if (type < 0 || type >= kEnemyTypeCount) return;
    const TypeBehaviour& behaviour = kBehaviours[type];
    if (!behaviour.act || (behaviour.sb2Only && !view.sb2())) return;
    behaviour.act(view);
}

}  // namespace bastion
