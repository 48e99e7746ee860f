#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "procedural/grid_recipe.h"
#include "procedural/internal/terrain_builder.h"
#include "procedural/recipe_fixtures.h"
#include "procedural/recipe_validation.h"
#include "world/world.h"

namespace bastion {
namespace {

using fixtures::json;

World build(const json& recipe, u32 seed = 7) {
    World world;
    world.prototypeSeed = seed;
    buildProceduralTerrain(world, recipe);
    return world;
}

// The height of the sample at exactly (x, z).
float sampleHeight(const World& world, float x, float z) {
    for (const WorldVertex& v : world.terrain) {
        if (v.position.x == x && v.position.z == z) return v.position.y;
    }
    ADD_FAILURE() << "no sample at " << x << ", " << z;
    return std::numeric_limits<float>::quiet_NaN();
}

bool inside(const std::array<float, 4>& r, float x, float z) {
    return r[0] <= x && x <= r[2] && r[1] <= z && z <= r[3];
}

// Calls `check` with each ground cell's centre and colour.
void forEachCell(const World& world, const std::function<void(float, float, Vec3)>& check) {
    ASSERT_EQ(world.terrain.size() % 6, 0u);
    for (std::size_t k = 0; k < world.terrain.size(); k += 6) {
        const Vec3 low = world.terrain[k].position, high = world.terrain[k + 2].position;
        check((low.x + high.x) * 0.5f, (low.z + high.z) * 0.5f, world.terrain[k].colour);
    }
}

struct FlatCase {
    const char* biome;
    Vec3 ground;
    Vec3 arterial;
};

class FlatTerrain : public ::testing::TestWithParam<FlatCase> {};

TEST_P(FlatTerrain, IsLevelAndShadedByBiome) {
    const FlatCase& c = GetParam();
    json recipe = fixtures::smallRecipeV3();
    recipe["terrain"]["biome"] = c.biome;
    const World world = build(recipe);

    EXPECT_TRUE(world.proceduralTerrain);
    EXPECT_EQ(world.groundColour, c.ground);
    for (const WorldVertex& v : world.terrain) ASSERT_EQ(v.position.y, 0.0f);
    const Vec3 shaded = c.ground * 0.95f;
    const std::array<float, 4> corridor{-110, -10, 110, 10};
    int plain = 0;
    forEachCell(world, [&](float x, float z, Vec3 colour) {
        const bool road = inside(corridor, x, z);
        plain += road ? 0 : 1;
        ASSERT_EQ(colour, road ? c.arterial : shaded) << x << ", " << z;
    });
    EXPECT_GT(plain, 0);
    EXPECT_EQ(world.surfaceHeight(150.0f, -150.0f), 0.0f);
}

INSTANTIATE_TEST_SUITE_P(Biomes, FlatTerrain,
                         ::testing::Values(FlatCase{"urban", {0.16f, 0.20f, 0.17f}, {0.25f, 0.27f, 0.28f}},
                                           FlatCase{"grassland", {0.22f, 0.35f, 0.14f}, {0.25f, 0.27f, 0.28f}},
                                           FlatCase{"desert", {0.55f, 0.42f, 0.21f}, {0.38f, 0.31f, 0.21f}},
                                           FlatCase{"hills", {0.27f, 0.33f, 0.17f}, {0.25f, 0.27f, 0.28f}}));

TEST(TerrainBuilder, RoadsBecomeCoverRectanglesWithTheirClassColour) {
    const World world = build(fixtures::strikeRecipeV3());
    const std::vector<Rectangle> corridors{{-110, -10, 10, 10}, {-10, -10, 110, 10}, {90, -10, 110, 110}};
    EXPECT_EQ(world.cover, corridors);

    // The second road has no class: local, like the third.
    const Vec3 arterial{0.25f, 0.27f, 0.28f}, local{0.18f, 0.21f, 0.22f};
    int arterialCells = 0, localCells = 0;
    forEachCell(world, [&](float x, float z, Vec3 colour) {
        if (inside(corridors[0], x, z)) {
            ++arterialCells;
            EXPECT_EQ(colour, arterial) << x << ", " << z;
        } else if (inside(corridors[1], x, z) || inside(corridors[2], x, z)) {
            ++localCells;
            EXPECT_EQ(colour, local) << x << ", " << z;
        }
    });
    EXPECT_GT(arterialCells, 0);
    EXPECT_GT(localCells, 0);
}

TEST(TerrainBuilder, WaterSinksItsBedAndFloatsAFlatSurface) {
    const World world = build(fixtures::strikeRecipeV3());
    ASSERT_EQ(world.water.size(), 2u);
    const ProceduralWater& lake = world.water[0];
    EXPECT_EQ(std::vector<float>(lake.bounds, lake.bounds + 4), (std::vector<float>{-180, -180, -120, -120}));
    EXPECT_EQ(lake.level, -1.0f);
    EXPECT_EQ(lake.depth, 6.0f);

    // The shared edge x = -120 belongs to the first body.
    const std::array<float, 4> first{-180, -180, -120, -120}, second{-120, -180, -100, -150};
    int bedSamples = 0;
    for (const WorldVertex& v : world.terrain) {
        const float x = v.position.x, z = v.position.z;
        if (inside(first, x, z)) {
            ++bedSamples;
            ASSERT_EQ(v.position.y, -7.0f) << x << ", " << z;
        } else if (inside(second, x, z)) {
            ASSERT_EQ(v.position.y, -2.0f) << x << ", " << z;
        }
    }
    EXPECT_GT(bedSamples, 0);
    EXPECT_FLOAT_EQ(world.surfaceHeight(-150.0f, -150.0f), -7.0f);
    forEachCell(world, [&](float x, float z, Vec3 colour) {
        if (inside(first, x, z) || inside(second, x, z)) {
            ASSERT_EQ(colour, (Vec3{0.11f, 0.15f, 0.12f}));
        }
    });

    ASSERT_EQ(world.waterMesh.size(), 12u);
    const Vec3 corners[6] = {{-180, -1, -180}, {-120, -1, -120}, {-120, -1, -180},
                             {-180, -1, -180}, {-180, -1, -120}, {-120, -1, -120}};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(world.waterMesh[k].position, corners[k]) << k;
        EXPECT_EQ(world.waterMesh[k].colour, (Vec3{0.035f, 0.24f, 0.42f}));
        EXPECT_EQ(world.waterMesh[k].textured, 0.0f);
    }
    EXPECT_EQ(world.waterMesh[6].position.y, 0.0f);
}

TEST(TerrainBuilder, RoadsBridgeWaterWithRollingGroundUnderWaterColour) {
    // The canal east of x line 1 crosses every east-west road.
    const json recipe = fixtures::gridRecipeV3(3, 2);
    const World world = build(recipe);
    const std::array<float, 4> canal{-45, -174, -31, 174};
    int bridged = 0;
    for (const WorldVertex& v : world.terrain) {
        const float x = v.position.x, z = v.position.z;
        if (!inside(canal, x, z)) continue;
        const bool road = std::any_of(world.cover.begin(), world.cover.end(),
                                      [&](const Rectangle& r) { return inside(r, x, z); });
        if (road) {
            ++bridged;
            ASSERT_GE(v.position.y, 0.0f) << x << ", " << z;
        } else {
            ASSERT_EQ(v.position.y, -7.0f) << x << ", " << z;
        }
    }
    EXPECT_GT(bridged, 0);
    forEachCell(world, [&](float x, float z, Vec3 colour) {
        if (inside(canal, x, z)) {
            ASSERT_EQ(colour, (Vec3{0.11f, 0.15f, 0.12f})) << x << ", " << z;
        }
    });
}

// A pad over [-60, 20, -20, 60], and water bodies far from it that only
// lay sample lines through x = -60, -40 and z = 40, 64, 68.
json padRecipe(int buildings) {
    json recipe = fixtures::smallRecipeV3();
    recipe["terrain"]["biome"] = "grassland";
    recipe["terrain"]["amplitude"] = 24;
    recipe["plots"][0]["buildings"] = buildings;
    recipe["terrain"]["water"] = {
        {{"bounds", {-80, 150, -60, 180}}, {"level", 0}, {"depth", 2}},
        {{"bounds", {-40, 100, -30, 110}}, {"level", 0}, {"depth", 2}},
        {{"bounds", {150, 40, 160, 50}}, {"level", 0}, {"depth", 2}},
        {{"bounds", {150, 64, 180, 68}}, {"level", 0}, {"depth", 2}},
    };
    return recipe;
}

TEST(TerrainBuilder, PadsLevelTheGroundFadingOutOverEightMetres) {
    const World bare = build(padRecipe(0));
    const World padded = build(padRecipe(2));
    // The pad stands at the rolling height of its plot's centre.
    const float pad = sampleHeight(bare, -40.0f, 40.0f);
    EXPECT_EQ(sampleHeight(padded, -60.0f, 60.0f), pad);
    EXPECT_EQ(sampleHeight(padded, -40.0f, 40.0f), pad);
    const float natural4 = sampleHeight(bare, -60.0f, 64.0f);
    EXPECT_NE(natural4, pad);
    EXPECT_FLOAT_EQ(sampleHeight(padded, -60.0f, 64.0f), natural4 * 0.5f + pad * 0.5f);
    EXPECT_EQ(sampleHeight(padded, -60.0f, 68.0f), sampleHeight(bare, -60.0f, 68.0f));
}

TEST(TerrainBuilder, EarlierPadWinsATie) {
    // Two pads 8 m apart on z; the line z = 64 lies 4 m from both.
    const auto twoPads = [](json first, json second) {
        json recipe = padRecipe(2);
        recipe["plots"][0]["bounds"] = first;
        recipe["plots"].push_back({{"id", 1}, {"bounds", second}, {"role", "urban"},
                                   {"sources", {"sb1"}}, {"buildings", 1}});
        recipe["terrain"]["water"] = {{{"bounds", {150, 64, 180, 66}}, {"level", 0}, {"depth", 2}}};
        validateProceduralRecipe(recipe);
        return build(recipe);
    };
    const json south{-60, 20, -20, 60}, north{-60, 68, -20, 100};
    const float natural = sampleHeight(build(padRecipe(0)), -60.0f, 64.0f);
    for (const bool southFirst : {true, false}) {
        const World world = southFirst ? twoPads(south, north) : twoPads(north, south);
        const float southPad = sampleHeight(world, -60.0f, 60.0f), northPad = sampleHeight(world, -60.0f, 68.0f);
        ASSERT_NE(southPad, northPad);
        const float winner = southFirst ? southPad : northPad;
        EXPECT_FLOAT_EQ(sampleHeight(world, -60.0f, 64.0f), natural * 0.5f + winner * 0.5f) << southFirst;
    }
}

// Heights of the same recipe's samples under two seeds.
struct SeedCase {
    u32 a;
    u32 b;
    bool samePhaseX;
    bool samePhaseZ;
};

class SeedPhases : public ::testing::TestWithParam<SeedCase> {};

TEST_P(SeedPhases, FollowTheSeedPerAxis) {
    const SeedCase& c = GetParam();
    // Without pads or water every sample is the rolling ground itself.
    json recipe = fixtures::smallRecipeV3();
    recipe["terrain"]["amplitude"] = 24;
    recipe["plots"][0]["buildings"] = 0;
    const World a = build(recipe, c.a), b = build(recipe, c.b);
    ASSERT_EQ(a.terrain.size(), b.terrain.size());

    // The difference of the two grounds along each row (same z) and each
    // column (same x).
    std::map<float, std::pair<float, float>> byZ, byX;
    const auto widen = [](std::pair<float, float>& range, float d) {
        range = {std::min(range.first, d), std::max(range.second, d)};
    };
    float largest = 0.0f;
    for (std::size_t k = 0; k < a.terrain.size(); ++k) {
        const Vec3 p = a.terrain[k].position;
        ASSERT_EQ(p.x, b.terrain[k].position.x);
        const float d = b.terrain[k].position.y - p.y;
        largest = std::max(largest, std::fabs(d));
        widen(byZ.try_emplace(p.z, d, d).first->second, d);
        widen(byX.try_emplace(p.x, d, d).first->second, d);
    }
    if (c.samePhaseX && c.samePhaseZ) {
        EXPECT_EQ(largest, 0.0f);
        return;
    }
    EXPECT_GT(largest, 0.1f);
    const auto spread = [](const std::map<float, std::pair<float, float>>& lines) {
        float s = 0.0f;
        for (const auto& [at, range] : lines) s = std::max(s, range.second - range.first);
        return s;
    };
    // Only a z phase change leaves each row's difference constant.
    EXPECT_EQ(spread(byZ) < 1e-4f, c.samePhaseX);
    EXPECT_EQ(spread(byX) < 1e-4f, c.samePhaseZ);
}

INSTANTIATE_TEST_SUITE_P(Seeds, SeedPhases,
                         ::testing::Values(SeedCase{0, 360, true, true}, SeedCase{0, 720, true, false},
                                           SeedCase{0, 1, false, true}, SeedCase{0, 361, false, false},
                                           SeedCase{5, 4294967295u, false, false}));

TEST(TerrainBuilder, SurfaceHeightMatchesEverySample) {
    const World world = build(fixtures::strikeRecipeV3(), 4294967295u);
    ASSERT_FALSE(world.ground.empty());
    for (const WorldVertex& v : world.terrain) {
        ASSERT_NEAR(world.surfaceHeight(v.position.x, v.position.z), v.position.y, 1e-3f)
            << v.position.x << ", " << v.position.z;
    }
    // The margins reach the movement limit.
    EXPECT_EQ(world.terrain.front().position.x, -1000.0f);
    EXPECT_EQ(world.terrain.front().position.z, -1000.0f);
    const Vec3 last = world.terrain[world.terrain.size() - 4].position;
    EXPECT_EQ(last.x, 1000.0f);
    EXPECT_EQ(last.z, 1000.0f);
}

TEST(TerrainBuilder, MapAtTheMovementLimitKeepsOneLinePerPosition) {
    json recipe = fixtures::smallRecipeV3();
    recipe["bounds"] = {-1000, -1000, 1000, 1000};
    const World world = build(recipe);
    std::vector<float> xs;
    for (const WorldVertex& v : world.terrain) xs.push_back(v.position.x);
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    for (std::size_t k = 1; k < xs.size(); ++k) ASSERT_GT(xs[k] - xs[k - 1], 0.001f) << xs[k];
    EXPECT_EQ(xs.front(), -1000.0f);
    EXPECT_EQ(xs.back(), 1000.0f);
}

// A 9 x 9 road grid over the whole movement area whose 144 corridors all
// differ in width, so that each lays two sample lines of its own per axis;
// with `buildings` each of the 64 plots adds two more.
json denseRecipe(int buildings) {
    json recipe = fixtures::smallRecipeV3();
    recipe["bounds"] = {-1000, -1000, 1000, 1000};
    recipe["nodes"] = json::array();
    recipe["roads"] = json::array();
    recipe["plots"] = json::array();
    const auto line = [](int k) { return -950.0 + 237.5 * k; };
    for (int i = 0; i < 81; ++i) recipe["nodes"].push_back({line(i % 9), line(i / 9)});
    const auto road = [&](int a, int b) {
        const double width = 16.0 + std::fmod(0.3137 * static_cast<double>(recipe["roads"].size()), 44.0);
        recipe["roads"].push_back({{"nodes", {a, b}}, {"width", width}});
    };
    for (int i = 0; i < 81; ++i) {
        if (i % 9 < 8) road(i, i + 1);
        if (i / 9 < 8) road(i, i + 9);
    }
    for (int id = 0; id < 64; ++id) {
        const int bx = id % 8, bz = id / 8;
        const double inset = 0.37 * id;
        recipe["plots"].push_back({{"id", id},
                                   {"bounds", {line(bx) + 40 + inset, line(bz) + 40 + inset,
                                               line(bx + 1) - 40 - inset, line(bz + 1) - 40 - inset}},
                                   {"role", "urban"},
                                   {"sources", {"sb1"}},
                                   {"buildings", buildings}});
    }
    recipe["objectives"][0]["node"] = 80;
    return recipe;
}

struct RefusalCase {
    const char* name;
    std::function<json()> recipe;
    const char* message;
};

class TerrainRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(TerrainRefusal, LeavesTheWorldAsItWas) {
    const RefusalCase& c = GetParam();
    const json recipe = c.recipe();
    World world;
    world.terrain.resize(3);
    world.cover.push_back({1, 2, 3, 4});
    try {
        buildProceduralTerrain(world, recipe);
        FAIL() << "accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_FALSE(world.proceduralTerrain);
    EXPECT_EQ(world.terrain.size(), 3u);
    EXPECT_EQ(world.cover.size(), 1u);
    EXPECT_TRUE(world.water.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Budgets, TerrainRefusal,
    ::testing::Values(
        RefusalCase{"MissingTerrain",
                    [] {
                        json r = fixtures::smallRecipeV3();
                        r.erase("terrain");
                        return r;
                    },
                    "Invalid procedural terrain: missing physical terrain"},
        RefusalCase{"WaterUnderBuildings",
                    [] {
                        json r = fixtures::smallRecipeV3();
                        r["terrain"]["water"] = {{{"bounds", {-50, 30, -40, 40}}, {"level", 0}, {"depth", 2}}};
                        return r;
                    },
                    "Invalid procedural terrain: building parcel overlaps water"},
        RefusalCase{"TooManyLinesOnAnAxis", [] { return denseRecipe(1); },
                    "Invalid procedural terrain: sample axis budget exceeded"},
        RefusalCase{"TooManyCells", [] { return denseRecipe(0); },
                    "Invalid procedural terrain: height mesh budget exceeded"}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });

TEST(TerrainBuilder, DenseFixturesAreValidLayouts) {
    EXPECT_NO_THROW(validateProceduralRecipe(denseRecipe(1)));
    EXPECT_NO_THROW(validateProceduralRecipe(denseRecipe(0)));
}

TEST(TerrainBuilder, LargestGridFitsTheBudgets) {
    const json recipe = fixtures::gridRecipeV3(8, 12);
    validateProceduralRecipe(recipe);
    const World world = build(recipe);
    EXPECT_EQ(world.cover.size(), 144u);
    EXPECT_GT(world.ground.size(), 0u);
}

}  // namespace
}  // namespace bastion
