#pragma once

#include "world/world.h"

namespace bastion {

// The pieces of World::step, each acting on the leading pilot.

// Stick value past the dead zone, scaled back to [-1, 1]; 0 for a resting or
// non-finite stick.
float driveAxis(float x);

// Index of the model held in a hand for `weapon`, which picks the rig muzzle.
int heldModel(Weapon weapon);

// SB2 carrier units pick up a walker standing on their pad and carry it to
// the first point of their route.
void boardCarrier(World& world);
void rideCarrier(World& world, float dt);

// Turning and walking on the sticks.
void walkPilot(World& world, const Input& input, float dt);

// Gesture and button punches of both hands.
void landPunches(World& world, const Input& input, float dt);

// The six mounts, in order.
void fireMounts(World& world, const Input& input, float dt);

// The guided cruise missile.
void launchCruise(World& world, const Input& input, int mount);
void guideCruise(World& world, const Input& input, float dt);

}  // namespace bastion
