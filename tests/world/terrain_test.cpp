#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "support/terrain_builder.h"
#include "support/vec_expect.h"
#include "world/debris.h"
#include "world/world.h"

namespace bastion {
namespace {

using testing_support::addQuad;
using testing_support::addTriangle;
using testing_support::buildHeightField;
using testing_support::expectNear;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Flat ground at 2 with a higher overlapping triangle at 5 in one corner, a
// slope y = x / 2 further east, and a wall that must carry no ground.
class TerrainHeights : public testing::Test {
protected:
    void SetUp() override {
        addTriangle(world, {0, 2, 0}, {40, 2, 0}, {0, 2, 40});
        addTriangle(world, {0, 5, 0}, {20, 5, 0}, {0, 5, 20});
        addTriangle(world, {200, 100, 0}, {260, 130, 0}, {200, 100, 60});
        addTriangle(world, {100, 0, 100}, {100, 50, 100}, {100, 0, 120});  // a wall
        world.terrain.push_back({});                                          // incomplete
        world.indexTerrain();
    }
    World world;
};

TEST_F(TerrainHeights, AnswersTheHighestTriangleOrZero) {
    EXPECT_EQ(world.ground.size(), 3u);
    const struct {
        float x, z, height;
        const char* what;
    } cases[] = {
        {30, 5, 2, "flat triangle"},
        {5, 5, 5, "overlap gives the higher"},
        {210, 10, 105, "slope"},
        {230, 5, 115, "slope further up"},
        {50, 50, 0, "indexed cell, outside every triangle"},
        {100, 110, 0, "under the wall"},
        {-500, -500, 0, "no cell"},
        {kNaN, 5, 0, "NaN x"},
        {5, kInf, 0, "infinite z"},
        {1e30f, 5, 0, "far away"},
        {-1e30f, -1e30f, 0, "far away negative"},
    };
    for (const auto& c : cases) {
        EXPECT_FLOAT_EQ(world.surfaceHeight(c.x, c.z), c.height) << c.what;
    }
}

TEST(TerrainIndex, EmptyTerrainHasNoGround) {
    World world;
    world.ground.push_back({});
    world.cells[{0, 0}] = {0};
    world.terrain.resize(2);
    world.indexTerrain();
    EXPECT_TRUE(world.ground.empty());
    EXPECT_TRUE(world.cells.empty());
    EXPECT_EQ(world.surfaceHeight(0, 0), 0.0f);
}

TEST(TerrainIndex, CellsCoverTheBoundingRectangleInclusive) {
    World world;
    addTriangle(world, {-10, 0, 0}, {70, 0, 0}, {-10, 0, 130});
    world.indexTerrain();
    // x spans cells -1..1, z spans 0..2: nine cells, though the triangle
    // touches fewer of them.
    EXPECT_EQ(world.cells.size(), 9u);
    EXPECT_TRUE(world.cells.count({-1, 0}));
    EXPECT_TRUE(world.cells.count({1, 2}));
}

TEST(TerrainIndex, CorruptOrHugeCornersStayInsideTheWalkableCells) {
    World world;
    addTriangle(world, {-1e7f, 3, -1e7f}, {1e7f, 3, -1e7f}, {0, 3, 1e7f});  // huge
    addTriangle(world, {5000, 1, 5000}, {5100, 1, 5000}, {5000, 1, 5100});  // beyond the square
    addTriangle(world, {kNaN, 1, 0}, {10, 1, 0}, {0, 1, 10});               // corrupt
    addTriangle(world, {0, 1, 0}, {kInf, 1, 0}, {0, 1, 10});                // corrupt
    world.indexTerrain();
    // The walkable square plus one cell: 34 x 34 cells at most.
    EXPECT_EQ(world.cells.size(), 34u * 34u);
    EXPECT_EQ(world.ground.size(), 2u);
    for (const auto& [key, list] : world.cells) {
        EXPECT_GE(key.first, -17);
        EXPECT_LE(key.first, 16);
        EXPECT_EQ(list, std::vector<u64>{0}) << key.first << "," << key.second;
    }
    EXPECT_NEAR(world.surfaceHeight(0, 0), 3.0f, 1e-3f);
    EXPECT_NEAR(world.surfaceHeight(-1000, 1000), 3.0f, 1e-3f);
    EXPECT_EQ(world.surfaceHeight(5050, 5010), 0.0f);
}

TEST(Water, EdgesRadiiAndCover) {
    World world;
    EXPECT_FALSE(world.hasWater(50, 25, 1)) << "no water bodies";
    ProceduralWater river;
    river.bounds[0] = 0;
    river.bounds[1] = 0;
    river.bounds[2] = 100;
    river.bounds[3] = 50;
    river.level = 1;
    world.water.push_back(river);
    struct Case {
        float x, z, radius;
        bool wet;
        const char* what;
    };
    const Case open[] = {
        {50, 25, 0, true, "inside"},
        {100, 25, 0, false, "on the edge"},
        {0, 25, 0, false, "on the other edge"},
        {101, 25, 0, false, "beside"},
        {101, 25, 2, true, "square reaches in"},
        {101, 25, -0.0f, false, "negative zero radius"},
        {101, 25, -1, true, "negative radius"},
        {101, 25, kNaN, true, "NaN radius"},
        {101, 25, kInf, true, "infinite radius"},
        {kNaN, 25, 0, true, "NaN x"},
        {25, kInf, 0, true, "infinite z"},
    };
    for (const auto& c : open) EXPECT_EQ(world.hasWater(c.x, c.z, c.radius), c.wet) << c.what;

    world.cover.push_back({40, -10, 60, 60});  // a road deck across the river
    const Case bridged[] = {
        {50, 25, 5, false, "on the deck"},
        {50, 25, 10, false, "deck edge exactly"},
        {50, 25, 15, true, "square sticks out of the deck into the river"},
        {20, 25, 0, true, "river beside the deck"},
        {50, 55, 3, false, "beyond the far bank"},
    };
    for (const auto& c : bridged) EXPECT_EQ(world.hasWater(c.x, c.z, c.radius), c.wet) << c.what;
}

TEST(GroundPassable, BorderWaterAndSteps) {
    World flat;
    const struct {
        Vec3 at;
        float radius;
        bool passable;
        const char* what;
    } border[] = {
        {{999.5f, 0, 0}, 1, false, "x beyond the border"},
        {{999, 0, 0}, 1, true, "x touching the border"},
        {{0, 0, -999.5f}, 1, false, "z beyond the border"},
        {{-999, 0, 999}, 1, true, "corner"},
        {{kNaN, 0, 0}, 1, false, "NaN x"},
        {{0, 0, kInf}, 1, false, "infinite z"},
        {{0, 0, 0}, -1, false, "negative radius"},
        {{0, 0, 0}, kNaN, false, "NaN radius"},
        {{0, kNaN, 0}, 1, true, "height is not used"},
    };
    for (const auto& c : border) EXPECT_EQ(flat.groundPassable(c.at, c.radius), c.passable) << c.what;

    ProceduralWater pond;
    pond.bounds[0] = 10;
    pond.bounds[1] = 10;
    pond.bounds[2] = 20;
    pond.bounds[3] = 20;
    flat.water.push_back(pond);
    EXPECT_FALSE(flat.groundPassable({15, 0, 15}, 1));
    EXPECT_TRUE(flat.groundPassable({5, 0, 5}, 1));

    // Flat ground west of x = 0 and a plateau east of it; the limit for the
    // nearest sample 0.5 away is 0.5 * 0.5 + 0.5 = 0.75.
    for (const auto& [step, passable] : {std::pair{0.5f, true}, {0.7f, true}, {1.0f, false}}) {
        World world;
        addQuad(world, -50, -50, 0, 50, [](float, float) { return 0.0f; });
        addQuad(world, 0, -50, 50, 50, [step](float, float) { return step; });
        world.indexTerrain();
        EXPECT_EQ(world.groundPassable({-0.3f, 0, 0}, 0.2f), passable) << "step " << step;
        EXPECT_TRUE(world.groundPassable({-20, 0, 0}, 0.2f));
        EXPECT_TRUE(world.groundPassable({20, 0, 0}, 0.2f));
    }
}

TEST(GroundContact, FlatGround) {
    const World world;
    const struct {
        Vec3 from, to;
        float t;
        const char* what;
    } cases[] = {
        {{0, 10, 0}, {0, -10, 0}, 0.5f, "half way down"},
        {{0, -1, 0}, {0, 5, 0}, 0.0f, "starts below ground"},
        {{0, 10, 0}, {50, 1, 0}, 2.0f, "stays above"},
        {{0, 0, 0}, {0, -4, 0}, 0.0f, "starts on the ground"},
        {{kNaN, kNaN, 0}, {0, -4, 0}, 2.0f, "NaN start"},
    };
    for (const auto& c : cases) EXPECT_FLOAT_EQ(world.groundContact(c.from, c.to), c.t) << c.what;
}

TEST(GroundContact, HeightFieldAndWater) {
    World world;
    world.proceduralTerrain = true;
    // A slope rising 0.1 per unit eastward.
    buildHeightField(world, 8, 32, [](float x, float) { return 0.1f * x; });
    const struct {
        Vec3 from, to;
        float t;
        const char* what;
    } cases[] = {
        {{0, 5, 0}, {100, 5, 0}, 0.5f, "meets the slope at x = 50"},
        {{0, 5, 0}, {0, 5, 10}, 2.0f, "level segment above the ground"},
        {{60, 5, 0}, {0, 5, 0}, 0.0f, "starts inside the hill"},
        {{-20, 10, 0}, {-20, -10, 0}, 0.6f, "straight down onto -2"},
        {{kNaN, 5, 0}, {100, 5, 0}, 2.0f, "NaN start"},
    };
    for (const auto& c : cases) EXPECT_NEAR(world.groundContact(c.from, c.to), c.t, 1e-3f) << c.what;

    ProceduralWater lake;
    lake.bounds[0] = -100;
    lake.bounds[1] = -100;
    lake.bounds[2] = -10;
    lake.bounds[3] = 100;
    lake.level = 3;
    world.water.push_back(lake);
    EXPECT_NEAR(world.groundContact({-20, 10, 0}, {-20, -10, 0}), 0.35f, 1e-3f) << "the water surface";
    world.cover.push_back({-30, -5, -15, 5});
    EXPECT_NEAR(world.groundContact({-20, 10, 0}, {-20, -10, 0}), 0.6f, 1e-3f) << "under a bridge";
}

TEST(DebrisFloor, TurnsTheFragmentAsItIsDrawn) {
    // 700 and 1600 steps of a 2048-step turn per second, about y and x.
    const DebrisTumble tumble = debrisTumble(0.5f);
    EXPECT_FLOAT_EQ(tumble.yaw, 0.5f * 700.0f * 6.2831853f / 2048.0f);
    EXPECT_FLOAT_EQ(tumble.pitch, 0.5f * 1600.0f * 6.2831853f / 2048.0f);
    // The side turn applies first, then the vertical one.
    const Vec3 v{0.3f, -0.2f, 1.0f};
    const Vec3 drawn = rotate(angles(tumble.yaw, 0, 0), rotate(angles(0, tumble.pitch, 0), v));
    expectNear(rotate(debrisOrientation(0.5f), v), drawn, 1e-5f);
}

TEST(DebrisFloor, RestsTheLowestPointOnTheGround) {
    World world;
    buildHeightField(world, 4, 64, [](float x, float) { return 4.0f + 0.5f * x; });
    WeaponEffect fragment;
    fragment.kind = WeaponEffect::kDebris;
    fragment.position = {10, 50, 0};
    fragment.size = 2;
    fragment.model = 3;
    EXPECT_FLOAT_EQ(world.debrisFloor(fragment), 9.0f + 1.0f) << "no shape: half the size above the ground";

    world.fragmentShapes[3] = {{0, -1, 0}};
    EXPECT_FLOAT_EQ(world.debrisFloor(fragment), 9.0f + 2.0f) << "lowest point scaled by size";
    fragment.age = 1024.0f / 1600.0f;  // half a turn about x: the point is now on top
    EXPECT_NEAR(world.debrisFloor(fragment), 9.0f - 2.0f, 1e-4f);

    fragment.age = 0;
    world.fragmentShapes[3] = {{-1, 0, 0}, {1, 0, 0}};
    EXPECT_FLOAT_EQ(world.debrisFloor(fragment), 4.0f + 0.5f * 12.0f) << "the uphill point decides";
    world.fragmentShapes[3] = {};
    EXPECT_EQ(world.debrisFloor(fragment), -1e9f) << "empty shape";
}

WorldVertex at(Vec3 position) {
    WorldVertex vertex;
    vertex.position = position;
    return vertex;
}

TEST(PickupPosition, StandsOnTheGroundAndRejectsCorruptSlots) {
    World world;
    buildHeightField(world, 2, 64, [](float, float) { return 3.0f; });
    world.pickupMeshes[1] = {at({0, -0.7f, 0}), at({0, 1, 0})};
    world.pickupMeshes[2] = {at({0, 0.5f, 0})};
    world.pickupSlots[1] = 1;
    world.pickupSlots[2] = 2;
    Pickup pickup;
    pickup.position = {5, 40, 6};
    pickup.kind = 33;  // only the low five bits choose the slot
    expectNear(world.pickupPosition(pickup), {5, 3.7f, 6}, 1e-6f);
    pickup.kind = 2;
    expectNear(world.pickupPosition(pickup), {5, 3, 6}, 1e-6f);
    world.pickupSlots[2] = 5;
    EXPECT_THROW(world.pickupPosition(pickup), std::out_of_range);
}

TEST(WreckPosition, RestsTheTurnedWreckOnTheGround) {
    World world;
    buildHeightField(world, 2, 64, [](float, float) { return 4.0f; });
    Target target;
    target.home = {10, 20, 12};
    EXPECT_EQ(world.wreckPosition(target), target.home) << "no wreck";
    target.wreck = std::make_shared<Mesh>();
    EXPECT_EQ(world.wreckPosition(target), target.home) << "empty wreck";
    target.wreck->push_back(at({0, 0, -2}));
    expectNear(world.wreckPosition(target), {10, 4, 12}, 1e-6f);
    target.pitch = 1.5707964f;  // nose up: the point rises to 2 above the origin
    expectNear(world.wreckPosition(target), {10, 2, 12}, 1e-5f);
}

}  // namespace
}  // namespace bastion
