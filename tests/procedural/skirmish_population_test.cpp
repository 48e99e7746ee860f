#include <string>

#include <gtest/gtest.h>

#include "procedural/skirmish_generator.h"
#include "support/demo_content.h"
#include "support/refusal.h"
#include "world/world.h"

namespace bastion {
namespace {

using testing_support::demoContent;
using testing_support::refusal;

// What the generator writes, the builders must be able to play: the smallest
// and the largest map with every objective and water option.
TEST(SkirmishPopulation, GeneratedSkirmishesBuild) {
    for (const int cells : {2, 8}) {
        for (int objective = 0; objective <= 2; ++objective) {
            for (const char* water : {"none", "lake", "canal"}) {
                SkirmishSettings settings;
                settings.seed = 7;
                settings.mapBlocks = cells;
                settings.objective = objective;
                settings.water = water;
                settings.groundUnitsPerZone = 12;
                settings.airUnits = 8;
                World world;
                EXPECT_EQ(refusal([&] { world.loadProceduralRecipe(demoContent(), generateSkirmishRecipe(settings)); }),
                          "accepted")
                    << cells << " cells, objective " << objective << ", " << water;
                EXPECT_TRUE(world.procedural);
            }
        }
    }
}

}  // namespace
}  // namespace bastion
