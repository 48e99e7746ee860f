#include "procedural/mission_update.h"

#include "world/world.h"

namespace bastion {

void updateProceduralMission(World& world, float dt) {
    (void)dt;
    const Pilot& pilot = world.pilot;
    if (!world.procedural || pilot.status != kStatusActive || pilot.dead || !(pilot.health > 0.0f) ||
        world.proceduralMission.objectives.empty()) {
        return;
    }
}

}  // namespace bastion
