#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "procedural/internal/mission_update.h"
#include "world/world.h"

namespace bastion {
namespace {

constexpr int kEliminate = 0;
constexpr int kStrike = 1;
constexpr int kRecon = 2;

// A running procedural mission on an empty map, the pilot at the origin.
World procedural() {
    World world;
    world.targets.clear();
    world.procedural = true;
    world.pilot.status = kStatusActive;
    world.pilot.position = {};
    return world;
}

ProceduralObjective objective(int kind, Vec3 centre, std::vector<u64> targets = {}) {
    ProceduralObjective o;
    o.kind = kind;
    o.centre = centre;
    o.targets = std::move(targets);
    return o;
}

u64 addTarget(World& world, float health = 100.0f) {
    Target t;
    t.health = health;
    world.targets.push_back(t);
    return world.targets.size() - 1;
}

TEST(ProceduralUpdate, EliminateAndStrikeNeedEveryListedTargetDown) {
    World world = procedural();
    const u64 a = addTarget(world);
    const u64 b = addTarget(world);
    world.proceduralMission.objectives = {objective(kEliminate, {}, {a, b}), objective(kStrike, {}, {b}),
                                          objective(kStrike, {}, {}), objective(kEliminate, {}, {a, 99})};
    updateProceduralMission(world, 0.05f);
    EXPECT_EQ(world.objectiveText, "ELIMINATE 0/4 / 2 HOSTILES / 0 M");
    world.targets[b].health = 0.0f;
    updateProceduralMission(world, 0.05f);
    EXPECT_EQ(world.objectiveText, "ELIMINATE 1/4 / 1 HOSTILES / 0 M");
    EXPECT_TRUE(world.proceduralMission.objectives[1].done);
    world.targets[a].health = -5.0f;
    updateProceduralMission(world, 0.05f);
    const auto& objectives = world.proceduralMission.objectives;
    EXPECT_TRUE(objectives[0].done);
    EXPECT_FALSE(objectives[2].done) << "an empty list never completes";
    EXPECT_FALSE(objectives[3].done) << "an index outside the list is never destroyed";
    EXPECT_EQ(world.objectiveText, "STRIKE 2/4 / 0 STRUCTURES / 0 M");
    EXPECT_EQ(world.pilot.status, kStatusActive);

    world.targets[a].health = 100.0f;  // done objectives stay done
    updateProceduralMission(world, 0.05f);
    EXPECT_TRUE(objectives[0].done);
}

TEST(ProceduralUpdate, ObjectiveLines) {
    World world = procedural();
    world.pilot.position = {0, 1, 0};
    world.proceduralMission.objectives = {objective(kStrike, {}, {}), objective(kStrike, {120.7f, 30, 0}, {})};
    world.proceduralMission.objectives[0].done = true;
    for (int i = 0; i < 3; ++i) world.proceduralMission.objectives[1].targets.push_back(addTarget(world));
    world.proceduralMission.objectives[1].targets.push_back(addTarget(world, 0.0f));
    updateProceduralMission(world, 0.05f);
    EXPECT_EQ(world.objectiveText, "STRIKE 1/2 / 3 STRUCTURES / 120 M");

    World recon = procedural();
    recon.proceduralMission.objectives = {objective(kRecon, {0.9f, 0, 0})};
    recon.proceduralMission.objectives[0].holdTimer = 2.45f;
    updateProceduralMission(recon, 0.05f);
    EXPECT_EQ(recon.objectiveText, "RECON 0/1 / HOLD 2/4 S / 0 M");
}

TEST(ProceduralUpdate, ReconHoldTimer) {
    struct Case {
        const char* what;
        Vec3 pilot;
        float dt;
        float timer;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<Case> cases = {
        {"a long step counts as a tenth", {}, 5.0f, 1.1f},
        {"NaN adds nothing", {}, nan, 1.0f},
        {"a negative step adds nothing", {}, -1.0f, 1.0f},
        {"on the edge is inside", {6, 0, 8}, 0.05f, 1.05f},
        {"just outside resets", {6, 0, 8.01f}, 0.05f, 0.0f},
        {"1.99 above is inside", {0, 1.99f, 0}, 0.05f, 1.05f},
        {"2.0 above resets", {0, 2.0f, 0}, 0.05f, 0.0f},
        {"2.0 below resets", {0, -2.0f, 0}, 0.05f, 0.0f},
    };
    for (const Case& c : cases) {
        World world = procedural();
        world.pilot.position = c.pilot;
        world.proceduralMission.objectives = {objective(kRecon, {}), objective(kRecon, {100, 0, 0})};
        world.proceduralMission.objectives[0].radius = 10.0f;
        world.proceduralMission.objectives[0].holdTimer = 1.0f;
        updateProceduralMission(world, c.dt);
        EXPECT_FLOAT_EQ(world.proceduralMission.objectives[0].holdTimer, c.timer) << c.what;
        EXPECT_FALSE(world.proceduralMission.objectives[0].done) << c.what;
    }
}

TEST(ProceduralUpdate, ReconCompletesWhenTheTimerReachesTheHold) {
    World world = procedural();
    world.proceduralMission.objectives = {objective(kRecon, {}), objective(kRecon, {100, 0, 0})};
    ProceduralObjective& recon = world.proceduralMission.objectives[0];
    recon.holdSeconds = 0.125f;
    updateProceduralMission(world, 0.0625f);
    world.pilot.position = {50, 0, 0};
    updateProceduralMission(world, 0.0625f);
    EXPECT_EQ(recon.holdTimer, 0.0f) << "leaving one step early starts over";
    world.pilot.position = {};
    updateProceduralMission(world, 0.0625f);
    EXPECT_FALSE(recon.done);
    updateProceduralMission(world, 0.1f);
    EXPECT_EQ(recon.holdTimer, 0.125f) << "the timer stops at the hold";
    EXPECT_TRUE(recon.done);
    world.pilot.position = {50, 0, 0};
    updateProceduralMission(world, 0.1f);
    EXPECT_TRUE(recon.done);
    EXPECT_EQ(recon.holdTimer, 0.125f) << "a done objective keeps its timer";
    EXPECT_EQ(world.objectiveText, "RECON 1/2 / HOLD 0/4 S / 50 M");

    World instant = procedural();
    instant.pilot.position = {500, 0, 0};
    instant.proceduralMission.objectives = {objective(kRecon, {})};
    instant.proceduralMission.objectives[0].holdSeconds = 0.0f;
    updateProceduralMission(instant, 0.05f);
    EXPECT_TRUE(instant.proceduralMission.objectives[0].done) << "no hold needed, even from outside";
}

TEST(ProceduralUpdate, ExtractionThenTheWin) {
    World world = procedural();
    const u64 t = addTarget(world, 0.0f);
    world.proceduralMission.objectives = {objective(kEliminate, {}, {t})};
    world.proceduralMission.extractionRequired = true;
    world.proceduralMission.extraction = {35.2f, 0, 0};
    updateProceduralMission(world, 0.05f);
    EXPECT_EQ(world.objectiveText, "EXTRACT / 35 M");
    EXPECT_TRUE(world.proceduralMission.extracting);
    EXPECT_EQ(world.pilot.status, kStatusActive);

    world.pilot.position = {35.2f, 0, 8.0f};  // on the radius
    world.effects.push_back(makeEffect(WeaponEffect::kSmoke, {}, {}, 0, 1.0f));
    updateProceduralMission(world, 0.05f);
    EXPECT_EQ(world.objectiveText, "EXTRACT / 8 M");
    EXPECT_EQ(world.pilot.status, kStatusActive) << "waits for the debris at the point";
    world.effects.clear();
    updateProceduralMission(world, 0.05f);
    EXPECT_EQ(world.objectiveText, "PROCEDURAL / MISSION COMPLETE");
    EXPECT_EQ(world.pilot.status, kStatusWon);

    World high = procedural();
    high.proceduralMission.objectives = {objective(kEliminate, {}, {addTarget(high, 0.0f)})};
    high.proceduralMission.extractionRequired = true;
    high.pilot.position = {0, 2.0f, 0};
    updateProceduralMission(high, 0.05f);
    EXPECT_EQ(high.pilot.status, kStatusActive) << "2.0 above the point is not there";
}

TEST(ProceduralUpdate, WithoutExtractionTheWinWaitsForTheDebris) {
    World world = procedural();
    world.proceduralMission.objectives = {objective(kStrike, {}, {addTarget(world, 0.0f)})};
    world.effects.push_back(makeEffect(WeaponEffect::kExplosion, {}, {}, 0, 1.0f));
    updateProceduralMission(world, 0.05f);
    EXPECT_EQ(world.objectiveText, "OBJECTIVES COMPLETE / WAIT FOR DEBRIS");
    EXPECT_FALSE(world.proceduralMission.extracting);
    EXPECT_EQ(world.pilot.status, kStatusActive);
    world.effects.clear();
    updateProceduralMission(world, 0.05f);
    EXPECT_EQ(world.objectiveText, "PROCEDURAL / MISSION COMPLETE");
    EXPECT_EQ(world.pilot.status, kStatusWon);
}

TEST(ProceduralUpdate, OnlyAnActiveLivePilotMakesProgress) {
    struct Case {
        int status;
        bool dead;
        float health;
    };
    for (const Case& c : {Case{kStatusIdle, false, 100}, Case{kStatusKilled, true, 0}, Case{kStatusLost, false, 100},
                          Case{kStatusActive, true, 100}, Case{kStatusActive, false, 0}}) {
        World world = procedural();
        world.pilot.status = c.status;
        world.pilot.dead = c.dead;
        world.pilot.health = c.health;
        world.proceduralMission.objectives = {objective(kRecon, {})};
        world.objectiveText = "KEEP";
        updateProceduralMission(world, 0.05f);
        EXPECT_EQ(world.proceduralMission.objectives[0].holdTimer, 0.0f);
        EXPECT_EQ(world.objectiveText, "KEEP");
    }
    World none = procedural();
    none.objectiveText = "KEEP";
    updateProceduralMission(none, 0.05f);
    EXPECT_EQ(none.objectiveText, "KEEP") << "no objectives, nothing to do";
    EXPECT_EQ(none.pilot.status, kStatusActive);
}

}  // namespace
}  // namespace bastion
