#pragma once

#include "world/pilot.h"

namespace bastion {

// Where a mount's shots leave and where they head.
struct LineOfFire {
    Vec3 muzzle;
    Vec3 direction;  // unit length
};

inline constexpr int kPelletCount = 8;

// The line of fire of mount m (0..5) from the pilot's solved arms and aim.
LineOfFire lineOfFire(const Pilot& pilot, int mount);

// `direction` turned about the vertical so that its heading lies within
// +-limit of `heading`; its horizontal length and height stay.
Vec3 limitHeading(Vec3 direction, float heading, float limit);

// The eight pellet directions of one shotgun shot along `direction`.
void pelletDirections(Vec3 direction, float heading, Vec3 (&pellets)[kPelletCount]);

}  // namespace bastion
