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

// What the generator writes, the builders must be able to play: the largest
// map with each objective and water option, and the smallest one.
TEST(SkirmishPopulation, GeneratedSkirmishesBuild) {
    struct Row {
        int cells;
        int objective;
        const char* water;
    };
    const Row rows[] = {{8, 0, "none"}, {8, 1, "lake"}, {8, 2, "canal"}, {2, 1, "canal"}};
    for (const Row& row : rows) {
        SkirmishSettings settings;
        settings.seed = 7;
        settings.mapBlocks = row.cells;
        settings.objective = row.objective;
        settings.water = row.water;
        settings.groundUnitsPerZone = 12;
        settings.airUnits = 8;
        World world;
        EXPECT_EQ(refusal([&] { world.loadProceduralRecipe(demoContent(), generateSkirmishRecipe(settings)); }),
                  "accepted")
            << row.cells << " cells, objective " << row.objective << ", " << row.water;
        EXPECT_TRUE(world.procedural);
    }
}

}  // namespace
}  // namespace bastion
