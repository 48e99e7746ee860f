#pragma once

#include "world/world.h"

namespace bastion {

// AI states of an enemy unit.
enum EnemyState : int {
    kStateReset = 0,
    kStatePatrol = 1,
    kStateApproach = 2,
    kStateAttack = 3,
    kStateBreakOff = 4,
    kStateSidestep = 5,
    kStateRun = 6,
    kStateLeave = 7,
    kStateMelee = 8,
    kStateRetired = 9,
};

// Behaviour bits of a unit's lowest parameter byte.
enum BehaviourBit : u32 {
    kBit01 = 0x01,
    kBit02 = 0x02,
    kBit04 = 0x04,
    kBit08 = 0x08,
    kBit10 = 0x10,
    kBit20 = 0x20,
    kBit40 = 0x40,
};

// Target ids an enemy aims at: -1 the leading pilot, -2 - i co-op pilot i,
// 0 or more a target index.
inline constexpr int kLeadingPilotId = -1;
inline int sessionPilotId(std::size_t i) { return -2 - static_cast<int>(i); }

// One unit during one enemy step: what it aims at and what it knows.
struct EnemyView {
    World& world;
    u64 index;
    Target& unit;
    float dt;
    Vec3 aim;         // the point it attacks
    int victim;       // target id of what it attacks
    Vec3 d;           // aim - unit position
    float h;          // horizontal length of d
    float reach;      // Chebyshev length max(|d.x|, |d.z|)
    float sight;      // sight range R
    bool clear;       // nothing blocks the line of fire
    bool alerted;
    bool hit;         // took damage this step

    bool sb2() const { return world.campaign != 0; }
    bool has(u32 bit) const { return (unit.behaviour & bit) != 0; }
    // Parameter word k as a float, scaled down by `scale`.
    float word(int k, float scale) const { return static_cast<float>(unit.parameters[k]) / scale; }
};

// The co-op pilot i when it exists and still fights, else null.
const Pilot* livingSessionPilot(const World& world, int i);

// v turned about the vertical axis by `yaw`.
Vec3 turnedByYaw(Vec3 v, float yaw);

// The heading that faces along `delta` (yaw 0 faces -z).
float headingOf(Vec3 delta);

// The horizontal unit vector a heading faces.
Vec3 headingVector(float yaw);

// The unit's index in the world's list, -1 when it is not in it.
int indexOf(const World& world, const Target& target);

// Switches state; a new state starts its timer at 0.
void enterState(Target& unit, int state);

// Steers toward a point: turns, moves forward as far as the turn allows, and
// when blocked turns aside and tries a sidestep.
void steerToward(EnemyView& view, Vec3 point, float speed, bool flying);

// Moves straight ahead along the unit's heading at its speed.
void flyStraight(EnemyView& view, bool flying);

// Follows the route; past its end the unit either arrives and retires
// (retireAtEnd) or starts over.
void followRoute(EnemyView& view, bool retireAtEnd);

// Turns the turret toward the aim point; true once it points there.
bool aimTurret(EnemyView& view, float rate);

// One gun's burst pattern.
struct Burst {
    int count;
    float interval;
    float pause;
    ProjectileKind kind;
    float speed;
    float damage;
    float radius;
    Vec3 muzzle;
};

// Fires the next shot of a burst kept in `timer` and `left`, when the timer
// allows; true when this shot finished the burst.
bool gunCycle(EnemyView& view, const Burst& burst, float& timer, int& left);

// Aims the turret and fires the main gun's burst with clear sight once
// aimed; true when a burst has just finished.
bool burstFire(EnemyView& view, const Burst& burst);

// The same with an aim already taken this step.
bool burstFireAimed(EnemyView& view, bool aimed, const Burst& burst);

// A close-range blow at the attacked pilot or target.
void melee(EnemyView& view, float damage, float cooldown);

// Bank of an aircraft turning toward its target.
void bankToward(EnemyView& view);

// Unit behaviours, by family.
void tankBehaviour(EnemyView& view);
void helicopterBehaviour(EnemyView& view);
void emplacementBehaviour(EnemyView& view);
void walkerBehaviour(EnemyView& view);
void heavyWalkerBehaviour(EnemyView& view);
void convoyBehaviour(EnemyView& view);
void bomberBehaviour(EnemyView& view);
void fighterBehaviour(EnemyView& view);
void shipBehaviour(EnemyView& view);
void carrierBehaviour(EnemyView& view);
void stationaryBehaviour(EnemyView& view);
void patrolGunnerBehaviour(EnemyView& view);

// Runs the behaviour of the unit's type, if it has one in this campaign.
void runBehaviour(EnemyView& view);

}  // namespace bastion
