#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "procedural/recipe_validation.h"
#include "procedural/skirmish_generator.h"
#include "world/random.h"

namespace bastion {
namespace {

using json = nlohmann::json;

struct Rect {
    double minX, minZ, maxX, maxZ;
};

Rect rectOf(const json& bounds) {
    return {bounds[0].get<double>(), bounds[1].get<double>(), bounds[2].get<double>(), bounds[3].get<double>()};
}

bool inside(const Rect& inner, const Rect& outer) {
    return inner.minX >= outer.minX && inner.minZ >= outer.minZ && inner.maxX <= outer.maxX &&
           inner.maxZ <= outer.maxZ;
}

// Hop counts from node 0 over the recipe's roads.
std::vector<int> hopsFromSpawn(const json& recipe) {
    std::vector<std::vector<int>> links(recipe["nodes"].size());
    for (const json& road : recipe["roads"]) {
        const int a = road["nodes"][0];
        const int b = road["nodes"][1];
        links[a].push_back(b);
        links[b].push_back(a);
    }
    std::vector<int> hops(links.size(), -1);
    hops[0] = 0;
    std::deque<int> queue{0};
    while (!queue.empty()) {
        const int node = queue.front();
        queue.pop_front();
        for (const int next : links[node]) {
            if (hops[next] < 0) {
                hops[next] = hops[node] + 1;
                queue.push_back(next);
            }
        }
    }
    return hops;
}

// The row-mid and column-mid roads are the arterial ones, all of them present.
void expectRoads(const json& recipe, int cells) {
    const int n = cells + 1;
    const int mid = cells / 2;
    int arterials = 0;
    for (const json& road : recipe["roads"]) {
        const int a = road["nodes"][0];
        const int b = road["nodes"][1];
        const bool main = (a / n == mid && b / n == mid) || (a % n == mid && b % n == mid);
        arterials += main ? 1 : 0;
        EXPECT_EQ(road["class"], main ? "arterial" : "local");
        EXPECT_EQ(road["width"], main ? 28 : 20);
    }
    EXPECT_EQ(arterials, 2 * cells);
    // A spanning tree plus at least one loop.
    EXPECT_GE(recipe["roads"].size(), recipe["nodes"].size());
}

// A canal keeps clear of the plots beside it; a lake lies on an empty plot
// that no strike needs.
void expectWater(const json& recipe, const SkirmishSettings& settings) {
    const json& water = recipe["terrain"]["water"];
    const std::string layout = recipe["terrain"]["water_layout"];
    const std::string expected = settings.water != "auto" ? settings.water
                                 : settings.seed % 3 == 0 ? "canal"
                                 : settings.seed % 3 == 1 ? "lake"
                                                          : "none";
    ASSERT_EQ(layout, expected);
    const json& plots = recipe["plots"];
    const int cells = settings.mapBlocks;
    if (layout == "none") {
        EXPECT_TRUE(water.empty());
    } else if (layout == "canal") {
        ASSERT_EQ(water.size(), 1u);
        const int k = static_cast<int>(settings.seed / 7 % static_cast<u32>(cells - 1));
        const double line = recipe["nodes"][k + 1][0];
        const Rect canal = rectOf(water[0]["bounds"]);
        EXPECT_EQ(canal.minX, line + 15);
        EXPECT_EQ(canal.maxX, line + 29);
        for (int id = k + 1; id < cells * cells; id += cells) {
            const Rect plot = rectOf(plots[id]["bounds"]);
            EXPECT_GE(plot.minX, line + 32) << id;
            EXPECT_GE(plot.maxX - plot.minX, 8) << id;
        }
    } else {
        ASSERT_EQ(water.size(), 1u);
        const Rect lake = rectOf(water[0]["bounds"]);
        int holders = 0;
        for (const json& plot : plots) {
            if (!inside(lake, rectOf(plot["bounds"]))) continue;
            ++holders;
            EXPECT_EQ(plot["buildings"], 0);
            for (const json& objective : recipe["objectives"]) {
                EXPECT_NE(objective.value("plot", -1), plot["id"].get<int>());
            }
        }
        EXPECT_EQ(holders, 1);
    }
}

// Every strike plot touches its node and is one of the first two free plots
// around it, industry and storage before houses.
void expectStrikePlots(const json& recipe, int cells) {
    const int n = cells + 1;
    std::vector<int> taken;
    for (const json& objective : recipe["objectives"]) {
        ASSERT_TRUE(objective.contains("plot"));
        const int node = objective["node"];
        const int row = node / n;
        const int col = node % n;
        std::vector<int> free;
        for (const auto& [bz, bx] : {std::pair{row - 1, col - 1}, {row - 1, col}, {row, col - 1}, {row, col}}) {
            const int id = bz * cells + bx;
            if (bz >= 0 && bz < cells && bx >= 0 && bx < cells && std::count(taken.begin(), taken.end(), id) == 0) {
                free.push_back(id);
            }
        }
        std::stable_partition(free.begin(), free.end(),
                              [&](int id) { return recipe["plots"][id]["role"] != "urban"; });
        const int plot = objective["plot"];
        const auto at = std::find(free.begin(), free.end(), plot);
        ASSERT_NE(at, free.end()) << "plot " << plot << " does not touch node " << node;
        EXPECT_LT(at - free.begin(), 2) << "plot " << plot;
        taken.push_back(plot);
    }
}

void expectSkirmish(const json& recipe, const SkirmishSettings& settings) {
    const int cells = settings.mapBlocks;
    EXPECT_NO_THROW(validateProceduralRecipe(recipe));
    EXPECT_EQ(recipe["nodes"].size(), static_cast<std::size_t>((cells + 1) * (cells + 1)));
    EXPECT_EQ(recipe["plots"].size(), static_cast<std::size_t>(cells * cells));
    ASSERT_EQ(recipe["objectives"].size(), cells == 2 ? 2u : 3u);
    EXPECT_LE(recipe["roads"].size(), 144u);
    expectRoads(recipe, cells);
    const std::vector<int> hops = hopsFromSpawn(recipe);
    for (const json& objective : recipe["objectives"]) {
        EXPECT_GE(hops[objective["node"].get<int>()], 3);
    }
    EXPECT_EQ(recipe.contains("extraction"), settings.extraction);
    EXPECT_EQ(recipe["mission"]["extraction"], settings.extraction);
    expectWater(recipe, settings);
    if (settings.objective == 1) expectStrikePlots(recipe, cells);
}

// One case per map size and objective, so that the sweep's thousands of
// generations can run in several test processes side by side.
struct SweepCase {
    int cells;
    int objective;
};

class SkirmishSweep : public ::testing::TestWithParam<SweepCase> {};

TEST_P(SkirmishSweep, EveryWaterExtractionAndSeedGivesAValidMission) {
    const int cells = GetParam().cells;
    const int objective = GetParam().objective;
    std::vector<u32> seeds = {0, 1, 4294967295u};
    for (u32 counter = 0; seeds.size() < 60; ++counter) seeds.push_back(nextSeed(counter));
    for (const char* water : {"auto", "none", "lake", "canal"}) {
        for (const bool extraction : {true, false}) {
            for (const u32 seed : seeds) {
                SkirmishSettings settings;
                settings.seed = seed;
                settings.mapBlocks = cells;
                settings.objective = objective;
                settings.water = water;
                settings.extraction = extraction;
                SCOPED_TRACE(::testing::Message() << "seed " << seed << " cells " << cells << " objective "
                                                  << objective << " water " << water << " extraction "
                                                  << extraction);
                json recipe;
                ASSERT_NO_THROW(recipe = generateSkirmishRecipe(settings));
                expectSkirmish(recipe, settings);
                if (HasFailure()) return;
            }
        }
    }
}

std::vector<SweepCase> everyMapSizeAndObjective() {
    std::vector<SweepCase> cases;
    for (int cells = 2; cells <= 8; ++cells) {
        for (int objective = 0; objective <= 2; ++objective) cases.push_back({cells, objective});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(MapSizesAndObjectives, SkirmishSweep, ::testing::ValuesIn(everyMapSizeAndObjective()),
                         [](const ::testing::TestParamInfo<SweepCase>& info) {
                             return "Cells" + std::to_string(info.param.cells) + "Objective" +
                                    std::to_string(info.param.objective);
                         });

}  // namespace
}  // namespace bastion
