#pragma once

namespace bastion {

class World;

// Per-step evaluation of a procedural or skirmish mission. Does nothing for
// a world that is not procedural or whose leading pilot is not playing.
void updateProceduralMission(World& world, float dt);

}  // namespace bastion
