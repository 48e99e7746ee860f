#include <gtest/gtest.h>

#include "procedural/internal/mission_update.h"
#include "world/world.h"

namespace bastion {
namespace {

TEST(ProceduralUpdate, DoesNothingForAWorldThatIsNotProcedural) {
    World world;
    world.pilot.status = kStatusActive;
    world.proceduralMission.objectives.resize(1);
    world.objectiveText = "KEEP";
    updateProceduralMission(world, 0.5f);
    EXPECT_EQ(world.objectiveText, "KEEP");
    EXPECT_EQ(world.pilot.status, kStatusActive);
    EXPECT_EQ(world.proceduralMission.objectives[0].holdTimer, 0.0f);
}

TEST(ProceduralMissionState, FreshObjectiveDefaults) {
    const ProceduralObjective objective;
    EXPECT_EQ(objective.radius, 8.0f);
    EXPECT_EQ(objective.holdSeconds, 4.0f);
    EXPECT_FALSE(objective.done);
    const ProceduralWater water;
    EXPECT_EQ(water.level, 0.0f);
}

}  // namespace
}  // namespace bastion
