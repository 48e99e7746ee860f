#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "procedural/encounter_fixtures.h"
#include "procedural/internal/plot_scenery.h"
#include "procedural/recipe_fixtures.h"
#include "world/world.h"

namespace bastion {
namespace {

using fixtures::json;

// A building template of that campaign whose model is a box of half size
// `half` standing on its origin.
Target building(int campaign, Vec3 half) {
    Target scenery = fixtures::unitTemplate(-1, half);
    scenery.extent = half;
    scenery.prototypeSource = campaign;
    return scenery;
}

World emptyWorld() {
    World world;
    world.targets.clear();
    world.prototypeSeed = 7;
    return world;
}

json onePlot(json bounds, int buildings) {
    json recipe = fixtures::smallRecipeV3();
    recipe["plots"][0]["bounds"] = std::move(bounds);
    recipe["plots"][0]["buildings"] = buildings;
    recipe["plots"][0].erase("sources");
    return recipe;
}

TEST(PlotScenery, BuildingsFillAGridOfCells) {
    // Five buildings on 40 x 20: four columns of 10 m, two rows.
    World world = emptyWorld();
    const std::vector<Target> scenery = {building(0, {2, 5, 2})};
    const auto plots = furnishPlots(world, onePlot({-60, 20, -20, 40}, 5), scenery);
    ASSERT_EQ(plots.size(), 1u);
    ASSERT_EQ(plots[0].size(), 5u);
    const float centres[5][2] = {{-55, 25}, {-45, 25}, {-35, 25}, {-25, 25}, {-55, 35}};
    for (std::size_t k = 0; k < 5; ++k) {
        const Target& placed = world.targets[plots[0][k]];
        EXPECT_FLOAT_EQ(placed.position.x, centres[k][0]) << k;
        EXPECT_FLOAT_EQ(placed.position.z, centres[k][1]) << k;
        EXPECT_NEAR(placed.position.y - placed.extent.y, 0.0f, 1e-5f) << "on the ground";
        EXPECT_FALSE(placed.prototypeObjective);
        EXPECT_EQ(placed.objectiveIndex, -1);
        EXPECT_EQ(placed.mesh, scenery[0].mesh) << "a full-size building shares its model";
    }
}

TEST(PlotScenery, LargeModelsShrinkIntoTheirCell) {
    // One 20 x 20 cell less a margin of 8: 12 m usable for a 16 m model.
    World world = emptyWorld();
    const std::vector<Target> scenery = {building(1, {8, 5, 8})};
    const auto plots = furnishPlots(world, onePlot({-60, 20, -40, 40}, 1), scenery);
    const Target& placed = world.targets[plots[0][0]];
    EXPECT_NEAR(placed.extent.x, 6.0f, 1e-5f);
    EXPECT_NEAR(placed.extent.y, 3.75f, 1e-5f);
    EXPECT_NE(placed.mesh, scenery[0].mesh) << "a private, scaled copy";
    EXPECT_FLOAT_EQ((*scenery[0].mesh)[1].position.x, 8.0f) << "the template's model is untouched";
}

TEST(PlotScenery, SourcesAndFitChooseTheCandidates) {
    // Two buildings alike within the score band, one per campaign, and one
    // too large to fit at a quarter of its size.
    const std::vector<Target> scenery = {building(0, {3, 5, 3}), building(1, {3, 5, 3}), building(0, {40, 5, 40})};
    json recipe = onePlot({-60, 20, -20, 60}, 16);
    World both = emptyWorld();
    const auto plots = furnishPlots(both, recipe, scenery);
    int perCampaign[2] = {};
    for (const u64 index : plots[0]) ++perCampaign[both.targets[index].prototypeSource];
    EXPECT_GT(perCampaign[0], 0);
    EXPECT_GT(perCampaign[1], 0) << "the per-building hash picks between equals";

    World again = emptyWorld();
    furnishPlots(again, recipe, scenery);
    for (std::size_t i = 0; i < both.targets.size(); ++i)
        EXPECT_EQ(again.targets[i].prototypeSource, both.targets[i].prototypeSource) << "the same seed, the same plot";

    recipe["plots"][0]["sources"] = {"sb2"};
    World sb2 = emptyWorld();
    const auto sb2Plots = furnishPlots(sb2, recipe, scenery);
    for (const u64 index : sb2Plots[0]) EXPECT_EQ(sb2.targets[index].prototypeSource, 1);

    recipe["plots"][0]["buildings"] = 0;
    World none = emptyWorld();
    EXPECT_TRUE(furnishPlots(none, recipe, scenery)[0].empty());
    EXPECT_TRUE(none.targets.empty());
}

TEST(PlotScenery, NothingAllowedFails) {
    json recipe = onePlot({-60, 20, -20, 60}, 1);
    recipe["plots"].push_back(recipe["plots"][0]);
    recipe["plots"][1]["bounds"] = {20, 20, 60, 60};
    recipe["plots"][1]["sources"] = {"sb2"};
    World world = emptyWorld();
    try {
        furnishPlots(world, recipe, {building(0, {3, 5, 3}), building(1, {90, 5, 90})});
        ADD_FAILURE() << "furnished";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "No allowed procedural scenery fits plot 1");
    }
}

}  // namespace
}  // namespace bastion
