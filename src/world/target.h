#pragma once

#include <memory>
#include <vector>

#include "world/math.h"
#include "world/vertex.h"

namespace bastion {

using Mesh = std::vector<WorldVertex>;
using SharedMesh = std::shared_ptr<Mesh>;

// Values of Target::unitType: -1 static object, 0..22 enemy types, 23 the
// SB2 trailer type.
enum UnitType : int {
    kStaticObject = -1,
    kSB2Trailer = 23,
};
inline constexpr int kEnemyTypeCount = 23;

// Every static object and every enemy unit of a mission. Copies share the
// meshes and deep-copy the route and fragments.
struct Target {
    Vec3 position;
    Vec3 extent;
    float health = 100.0f;
    Vec3 home;
    float homeYaw = 0.0f;
    int objectType = -1;
    int tag = 255;
    int unitType = kStaticObject;
    u32 action = 0;
    bool active = true;
    bool destroyed = false;
    bool critical = false;
    bool hidden = false;
    bool hasDestination = false;
    u32 trigger = 0;
    u32 flags = 0;
    u32 behaviour = 0;
    u32 flagBit = 0;
    float range = 10000.0f;
    float fireTimer = 0.0f;
    float speed = 0.0f;
    bool derived = false;
    int state = 0;
    int parameters[16] = {};
    int group = -1;
    bool dropped = false;
    int chosenPilot = -1;
    float retargetTimer = 0.0f;
    float trackPhase = 0.0f;
    int attackSlot = 0;
    int targetSlot = -1;
    int host = -1;
    int generator = -1;
    int parent = -1;
    float stateTimer = 0.0f;
    float alertTimer = 0.0f;
    float lastHealth = 0.0f;
    float initialHealth = 0.0f;
    float respawn = 0.0f;
    float initialYaw = 0.0f;
    float turretYaw = 0.0f;
    float turretPitch = 0.0f;
    float roll = 0.0f;
    float pitch = 0.0f;
    float stuckTimer = 0.0f;
    float flash = 0.0f;
    float secondaryTimer = 0.0f;
    float cruiseDelay = 0.0f;
    int burstLeft = 0;
    int secondaryLeft = 0;
    int passes = 0;
    int sideCounter = 0;
    Vec3 anchor;
    Vec3 modelCentre;
    Vec3 modelHalf;
    Vec3 velocity;
    Vec3 mountOffset;
    bool boundsReady = false;
    bool started = false;
    bool rocketUsed = false;
    std::vector<Vec3> route;
    u64 routeIndex = 0;
    SharedMesh mesh;
    SharedMesh wreck;
    Vec3 span;
    float step = 0.0f;
    std::vector<u32> fragments;
    int prototypeSource = -1;
    bool prototypeObjective = false;
    int objectiveIndex = -1;
};

}  // namespace bastion
