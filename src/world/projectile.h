#pragma once

#include "world/math.h"
#include "world/weapon.h"

namespace bastion {

enum ProjectileKind : int {
    kShot = 0,     // flies straight, can shoot down rockets
    kRocket = 1,   // flies straight or homes, can be shot down
    kGrenade = 2,  // falls under gravity
};

struct Projectile {
    Vec3 position;
    Vec3 velocity;
    float life = 0.0f;
    float damage = 0.0f;
    int mount = -1;  // firing pilot's mount, -1 for an enemy shot
    ProjectileKind kind = kShot;
    int owner = -1;   // firing target index for an enemy shot
    int victim = -1;  // target id an enemy aimed at
    float radius = 0.0f;
    Weapon weapon = 0;
    int shooter = -1;  // firing player's slot
    int homingTarget = -1;
    float hull = -1.0f;
    bool intercepted = false;
};

// Hit points a rocket starts with: the homing missile is sturdier.
float initialHull(const Projectile& rocket);

// Wears `amount` off a rocket's hull (first giving it its initial hull); a
// hull worn below zero shoots the rocket down, ending its flight.
void wearHull(Projectile& rocket, float amount);

}  // namespace bastion
