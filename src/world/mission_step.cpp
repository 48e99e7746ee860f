#include "world/world.h"

namespace bastion {

// The mission layer runs only while a mission is being played; a world
// without one (the test range, status 0) has nothing to advance here.
void World::stepMission(float) {
    if (pilot.status != kStatusActive) return;
}

void World::collectPickups() {
    if (pilot.status != kStatusActive) return;
}

}  // namespace bastion
