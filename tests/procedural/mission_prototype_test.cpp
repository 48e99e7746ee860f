#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "procedural/internal/anchor_grid.h"
#include "procedural/internal/hash_sequence.h"
#include "procedural/internal/texture_band.h"
#include "support/demo_content.h"
#include "support/editable_content.h"
#include "support/refusal.h"
#include "world/world.h"

namespace bastion {
namespace {

using nlohmann::json;
using testing_support::demoContent;
using testing_support::EditableContent;
using testing_support::refusal;

std::vector<const Target*> actors(const World& world) {
    std::vector<const Target*> placed;
    for (const Target& t : world.targets)
        if (t.prototypeObjective) placed.push_back(&t);
    return placed;
}

std::vector<int> actorTypes(const World& world) {
    std::vector<int> types;
    for (const Target* t : actors(world)) types.push_back(t->unitType);
    return types;
}

World prototype(u32 seed, const std::filesystem::path& root = demoContent()) {
    World world;
    world.loadMissionPrototype(root, seed);
    return world;
}

// The draws of one seed, replayed in the order the placement takes them:
// the shuffle's (one fewer than the candidates), the actor count, then per
// actor its template (from the fourth on) and its yaw step. The candidates
// are the reached cells 65 to 240 from the pilot.
struct Drawn {
    std::vector<int> types;      // unit types, in placement order
    std::vector<u32> yawSteps;   // yaw in steps of pi / 1024
    std::vector<Vec3> shuffled;  // the candidates in the order they are tried
};

Drawn drawn(u32 seed, const World& world) {
    std::vector<Target> statics;
    for (const Target& t : world.targets)
        if (!t.prototypeObjective) statics.push_back(t);
    Drawn d;
    for (Vec3 cell : reachableAnchors(statics, world.pilot.position)) {
        const float distance = groundDistance(cell, world.pilot.position);
        if (distance >= 65.0f && distance <= 240.0f) d.shuffled.push_back(cell);
    }
    HashSequence draws{seed};
    for (std::size_t i = d.shuffled.size(); i-- > 1;)
        std::swap(d.shuffled[i], d.shuffled[draws.below(static_cast<u32>(i + 1))]);
    const u32 count = 8 + draws.below(5);
    const int templates[] = {0, 2, 14};
    for (u32 k = 0; k < count; ++k) {
        d.types.push_back(templates[k < 3 ? k : draws.below(3)]);
        d.yawSteps.push_back(draws.next() & 2047u);
    }
    return d;
}

TEST(HashSequence, DrawsTheScrambledCounter) {
    // Worked out from the finaliser on the stepped counter; the state that
    // steps to 0 draws 0, then what a start at 0 draws first.
    const struct {
        u32 start;
        u32 first, second;
    } cases[] = {
        {0, 0x92CA2F0Eu, 0x3CD6E3F3u},
        {1, 0x96A0F96Bu, 0x12BC8390u},
        {0xFFFFFFFFu, 0x36DEB503u, 0xFC2FB9B6u},
        {0x61C88647u, 0, 0x92CA2F0Eu},
    };
    for (const auto& c : cases) {
        HashSequence draws{c.start};
        EXPECT_EQ(draws.next(), c.first) << c.start;
        EXPECT_EQ(draws.below(1000), c.second % 1000) << c.start;
    }
}

// The demo content's SB2 mission 0 has its pilot at (0, 0, 20) in a walled
// yard whose gate opens onto open ground, so every seed finds its anchors.
// Seed 221 uses an anchor exactly the minimum spacing from another.
const u32 kSeeds[] = {0, 1, 5, 221, 42, 4294967295u};

TEST(MissionPrototype, SeedsPlaceSpacedActorsAroundThePilot) {
    for (const u32 seed : kSeeds) {
        SCOPED_TRACE(seed);
        const World world = prototype(seed);
        EXPECT_TRUE(world.prototype);
        EXPECT_FALSE(world.procedural);
        EXPECT_EQ(world.prototypeSeed, seed);
        EXPECT_EQ(world.random, seed == 0 ? 0x53425852u : seed);
        EXPECT_EQ(world.campaign, 1);
        EXPECT_EQ(world.pilot.status, kStatusActive);

        const Drawn want = drawn(seed, world);
        const std::vector<int> types = actorTypes(world);
        EXPECT_GE(types.size(), 8u);
        EXPECT_LE(types.size(), 12u);
        EXPECT_EQ(types, want.types);
        EXPECT_EQ(world.objectiveText, "PROTOTYPE / SEED " + std::to_string(seed) + " / DESTROY " +
                                           std::to_string(types.size()) + " TARGETS");

        const Vec3 pilot = world.pilot.position;
        const std::vector<const Target*> placed = actors(world);
        ASSERT_FALSE(placed.empty());
        // The first candidate tried is always taken.
        EXPECT_EQ(placed[0]->home.x, want.shuffled[0].x);
        EXPECT_EQ(placed[0]->home.z, want.shuffled[0].z);
        float closest = 1e9f;
        for (std::size_t i = 0; i < placed.size(); ++i) {
            const Target& t = *placed[i];
            const float distance = groundDistance(t.home, pilot);
            EXPECT_GE(distance, 65.0f);
            EXPECT_LE(distance, 240.0f);
            // On the 4 m grid around the pilot, at a cell the walk reached.
            EXPECT_EQ(std::remainder(t.home.x - pilot.x, 4.0f), 0.0f);
            EXPECT_EQ(std::remainder(t.home.z - pilot.z, 4.0f), 0.0f);
            EXPECT_TRUE(std::any_of(want.shuffled.begin(), want.shuffled.end(),
                                    [&](Vec3 c) { return c.x == t.home.x && c.z == t.home.z; }));
            const float yawStep = std::numbers::pi_v<float> / 1024.0f;
            if (i < want.yawSteps.size()) {
                EXPECT_FLOAT_EQ(t.homeYaw, static_cast<float>(want.yawSteps[i]) * yawStep);
            }
            EXPECT_LE(t.extent.x, 6.0f);
            EXPECT_LE(t.extent.z, 6.0f);
            EXPECT_EQ(t.prototypeSource, t.unitType == 14 ? 1 : 0);
            EXPECT_EQ(t.health, t.unitType == 14 ? 160.0f : 80.0f);
            EXPECT_EQ(t.initialHealth, t.health);
            EXPECT_TRUE(t.active);
            EXPECT_EQ(t.homeYaw, t.initialYaw);
            EXPECT_EQ(t.homeYaw, t.turretYaw);
            EXPECT_EQ(t.anchor.x, t.home.x);
            EXPECT_EQ(t.anchor.z, t.home.z);
            EXPECT_TRUE(t.route.empty());
            EXPECT_EQ(t.parameters[0], 18000);
            EXPECT_EQ(t.behaviour, t.unitType == 0 ? 2u : 0u);
            for (std::size_t j = 0; j < i; ++j) closest = std::min(closest, groundDistance(t.home, placed[j]->home));
        }
        // No two actors closer than 28 m; exactly 28 m apart is allowed.
        EXPECT_GE(closest, 28.0f);
        if (seed == 221) {
            EXPECT_EQ(closest, 28.0f);
        }

        ASSERT_EQ(world.pickups.size(), 3u);
        for (std::size_t i = 0; i < world.pickups.size(); ++i) {
            const Pickup& p = world.pickups[i];
            EXPECT_EQ(p.kind, 22);
            EXPECT_FALSE(p.collected);
            EXPECT_EQ(p.position.y, 0.0f);
            const float distance = groundDistance(p.position, pilot);
            EXPECT_GE(distance, 18.0f);
            EXPECT_LE(distance, 30.0f);
            for (std::size_t j = 0; j < i; ++j)
                EXPECT_GE(groundDistance(p.position, world.pickups[j].position), 12.0f);
        }
    }
}

TEST(MissionPrototype, SameSeedGivesTheSameMissionInFreshWorlds) {
    const World a = prototype(7);
    const World b = prototype(7);
    ASSERT_EQ(a.targets.size(), b.targets.size());
    for (std::size_t i = 0; i < a.targets.size(); ++i) {
        EXPECT_EQ(a.targets[i].unitType, b.targets[i].unitType);
        EXPECT_EQ(a.targets[i].home.x, b.targets[i].home.x);
        EXPECT_EQ(a.targets[i].home.z, b.targets[i].home.z);
        EXPECT_EQ(a.targets[i].homeYaw, b.targets[i].homeYaw);
    }
    const World other = prototype(8);
    const auto firstActor = [](const World& w) { return *actors(w).front(); };
    EXPECT_NE(firstActor(a).home.x * 1000 + firstActor(a).home.z, firstActor(other).home.x * 1000 + firstActor(other).home.z);
}

// SB2's units go, its static objects stay but count for nothing; the
// mission's own rules are all cleared.
TEST(MissionPrototype, KeepsSb2StaticsOutOfTheMissionRules) {
    World sb2;
    sb2.loadMission(demoContent(), 0, 1, true);
    std::vector<const Target*> statics;
    for (const Target& t : sb2.targets)
        if (t.unitType < 0) statics.push_back(&t);

    const World world = prototype(3);
    const std::size_t actorCount = actors(world).size();
    ASSERT_EQ(world.targets.size(), statics.size() + actorCount);
    for (std::size_t i = 0; i < statics.size(); ++i) {
        const Target& t = world.targets[i];
        EXPECT_EQ(t.unitType, -1);
        EXPECT_EQ(t.objectType, statics[i]->objectType);
        EXPECT_EQ(t.prototypeSource, 1);
        EXPECT_FALSE(t.prototypeObjective);
        EXPECT_EQ(t.tag, 255);
        EXPECT_EQ(t.action, 0u);
        EXPECT_EQ(t.targetSlot, -1);
    }
    EXPECT_TRUE(world.generators.empty());
    EXPECT_TRUE(world.cargoFlights.empty());
    EXPECT_TRUE(world.objectiveRegions.empty());
    EXPECT_EQ(world.missionFlags, 0u);
    EXPECT_TRUE(std::all_of(std::begin(world.slots), std::end(world.slots), [](int s) { return s == -1; }));
    EXPECT_TRUE(std::all_of(std::begin(world.counters), std::end(world.counters), [](int c) { return c == 0; }));
}

// Expects `after` to be `before` with the textured vertices moved into the
// shared atlas band of `source`; returns how many vertices are textured.
int expectBanded(const Mesh& before, const Mesh& after, int source) {
    EXPECT_EQ(before.size(), after.size());
    int textured = 0;
    for (std::size_t i = 0; i < std::min(before.size(), after.size()); ++i) {
        const float v = before[i].v;
        const bool banded = before[i].textured != 0.0f;
        const float expected = !banded ? v : source == 0 ? v * 158.0f / 609.0f : (v * 451.0f + 158.0f) / 609.0f;
        EXPECT_EQ(after[i].v, expected);
        EXPECT_EQ(after[i].u, before[i].u);
        textured += banded ? 1 : 0;
    }
    return textured;
}

TEST(TextureBand, CopiesTheMeshAndMovesOnlyTexturedVertices) {
    Mesh mesh(3);
    mesh[0].v = 0.5f;
    mesh[1].v = 0.5f;
    mesh[1].textured = 1.0f;
    mesh[2].v = 1.0f;
    mesh[2].textured = 0.25f;  // any value but 0 counts
    for (int source : {0, 1}) {
        Target target;
        target.mesh = std::make_shared<Mesh>(mesh);
        const SharedMesh other = target.mesh;
        bandTargetTextures(target, source);
        EXPECT_NE(target.mesh, other);
        EXPECT_FALSE(target.wreck);
        EXPECT_EQ(expectBanded(mesh, *target.mesh, source), 2);
        for (std::size_t i = 0; i < mesh.size(); ++i) EXPECT_EQ(other->at(i).v, mesh[i].v) << "shared list changed";
    }
    Target bare;
    bandTargetTextures(bare, 1);
    EXPECT_FALSE(bare.mesh);
}

// The prototype draws with the shared atlas: SB1 textures in its top 158/609,
// SB2 textures below. The statics and the actors carry private copies.
TEST(MissionPrototype, BandsTexturesIntoTheSharedAtlas) {
    World sb1;
    sb1.loadMission(demoContent(), 0, 0, false);
    World sb2;
    sb2.loadMission(demoContent(), 0, 1, true);
    const World world = prototype(3);

    int textured = 0;
    std::size_t k = 0;
    for (const Target& before : sb2.targets) {
        if (before.unitType >= 0) continue;
        const Target& after = world.targets[k++];
        textured += expectBanded(*before.mesh, *after.mesh, 1);
        if (before.wreck) expectBanded(*before.wreck, *after.wreck, 1);
    }
    EXPECT_GT(textured, 0);

    const auto firstOfType = [](const World& w, int type) {
        return *std::find_if(w.targets.begin(), w.targets.end(), [&](const Target& t) { return t.unitType == type; });
    };
    expectBanded(*firstOfType(sb1, 0).mesh, *actors(world)[0]->mesh, 0);
    expectBanded(*firstOfType(sb1, 2).mesh, *actors(world)[1]->mesh, 0);
    expectBanded(*firstOfType(sb2, 14).mesh, *actors(world)[2]->mesh, 1);
}

TEST(MissionPrototype, KeepsTheConfiguredPilotAndScalesHealthByDifficulty) {
    World world;
    const Loadout loadout{kEmptyHand, kRifle, kRail, kShield, kRocketLauncher, kGrenadeRack};
    world.configure(loadout, ArmRig{});
    world.difficulty = 1;
    world.loadMissionPrototype(demoContent(), 4);
    for (int mount = 0; mount < 6; ++mount) EXPECT_EQ(world.pilot.weapons[mount], loadout[mount]);
    EXPECT_EQ(world.difficulty, 1);
    EXPECT_NE(world.ratio, 1.0f);
    for (const Target* t : actors(world)) EXPECT_FLOAT_EQ(t->health, (t->unitType == 14 ? 160.0f : 80.0f) * world.ratio);
}

// Every marked actor brought down wins the mission, and only then.
TEST(MissionPrototype, IsWonWhenEveryMarkedTargetIsDown) {
    World world = prototype(9);
    std::vector<Target*> marked;
    for (Target& t : world.targets)
        if (t.prototypeObjective) marked.push_back(&t);
    for (std::size_t i = 0; i < marked.size(); ++i) {
        marked[i]->health = 0.0f;
        world.stepMission(1.0f / 60.0f);
        const std::size_t left = marked.size() - i - 1;
        EXPECT_EQ(world.objectiveText, "PROTOTYPE / SEED 9 / DESTROY " + std::to_string(left) + " TARGETS");
        if (left > 0) EXPECT_EQ(world.pilot.status, kStatusActive);
    }
    // The win waits for the last wreck's explosion to settle.
    const Input idle;
    for (int frame = 0; frame < 600 && world.pilot.status == kStatusActive; ++frame) world.step(idle, 1.0f / 60.0f, true);
    EXPECT_EQ(world.pilot.status, kStatusWon);
}

// The cells a walk from the centre may use: inside the playable square,
// away from anything standing at walking height.
TEST(AnchorGrid, FreeCells) {
    const auto box = [](Vec3 position, Vec3 extent, bool active = true, float health = 100.0f) {
        Target t;
        t.position = position;
        t.extent = extent;
        t.active = active;
        t.health = health;
        return std::vector<Target>{t};
    };
    const struct {
        const char* what;
        std::vector<Target> targets;
        Vec3 cell;
        bool free;
    } cases[] = {
        {"open ground", {}, {0, 0, 0}, true},
        {"edge of the playable square", {}, {990, 0, 0}, false},
        {"just inside it", {}, {989.5f, 0, -989.5f}, true},
        {"far side", {}, {0, 0, -990}, false},
        {"within the margin", box({10, 2, 0}, {2, 2, 2}), {0, 0, 0}, true},
        {"inside the margin", box({9.5f, 2, 0}, {2, 2, 2}), {0, 0, 0}, false},
        {"margin in z", box({0, 2, 9.5f}, {2, 2, 2}), {0, 0, 0}, false},
        {"overhead", box({0, 14, 0}, {2, 2, 2}), {0, 0, 0}, true},
        {"reaching down to walking height", box({0, 13.9f, 0}, {2, 2, 2}), {0, 0, 0}, false},
        {"below the ground", box({0, -2, 0}, {2, 2, 2}), {0, 0, 0}, true},
        {"inactive", box({0, 2, 0}, {2, 2, 2}, false), {0, 0, 0}, true},
        {"destroyed", box({0, 2, 0}, {2, 2, 2}, true, 0.0f), {0, 0, 0}, true},
    };
    for (const auto& c : cases) EXPECT_EQ(anchorFree(c.targets, c.cell), c.free) << c.what;
}

TEST(AnchorGrid, ReachesOnlyConnectedCellsInCellOrder) {
    // A wall across the grid at x = 100 cuts off the cells beyond it.
    Target wall;
    wall.position = {100, 2, 0};
    wall.extent = {1, 2, 400};
    const std::vector<Vec3> reached = reachableAnchors({wall}, {0, 0, 0});
    ASSERT_FALSE(reached.empty());
    EXPECT_EQ(reached.front().x, -280.0f);
    EXPECT_EQ(reached.front().z, -280.0f);
    for (std::size_t i = 1; i < reached.size(); ++i)
        EXPECT_TRUE(reached[i - 1].z < reached[i].z || (reached[i - 1].z == reached[i].z && reached[i - 1].x < reached[i].x));
    EXPECT_TRUE(std::all_of(reached.begin(), reached.end(), [](Vec3 p) { return p.x < 91.0f; }));
    // Columns -280..88 (93 of them) on every one of the 141 rows.
    EXPECT_EQ(reached.size(), 93u * 141u);

    EXPECT_EQ(refusal([&] { reachableAnchors({wall}, {100, 0, 0}); }),
              "Mission prototype player anchor lacks clearance");
}

// Content a refusal test rewrites, restored after each case.
class PrototypeRefusal : public ::testing::Test {
protected:
    static void SetUpTestSuite() { content_ = new EditableContent(); }
    static void TearDownTestSuite() {
        delete content_;
        content_ = nullptr;
    }

    static EditableContent* content_;
};
EditableContent* PrototypeRefusal::content_ = nullptr;

json withoutSpawnsOfType(json document, int type) {
    json& spawns = document["missions"][0]["spawns"];
    json kept = json::array();
    for (const json& spawn : spawns)
        if (spawn.at("type") != type) kept.push_back(spawn);
    spawns = kept;
    return document;
}

// Bunkers (object type 4) at `points`, offsets in metres from the pilot.
json withBunkers(json document, const std::vector<std::array<int, 2>>& points) {
    json& mission = document["missions"][0];
    const json spawn = mission.at("spawn");
    for (const auto& p : points) {
        json position = spawn;
        position[0] = spawn[0].get<int>() + p[0] * 100;
        position[2] = spawn[2].get<int>() + p[1] * 100;
        mission["objects"].push_back({{"position", position}, {"type", 4}, {"tag", 255}, {"action", 0}, {"yaw", 0}});
    }
    return document;
}

std::vector<std::array<int, 2>> squareRing(int half, int spacing) {
    std::vector<std::array<int, 2>> points;
    for (int s = -half; s <= half; s += spacing) {
        points.push_back({s, -half});
        points.push_back({s, half});
        points.push_back({-half, s});
        points.push_back({half, s});
    }
    return points;
}

TEST_F(PrototypeRefusal, EveryFailureLeavesTheWorldAsItWas) {
    const EditableContent& c = *content_;
    const json sb1 = c.missions(0);
    const json sb2 = c.missions(1);
    const std::filesystem::path shared = c.root() / "sb2/shared/gameplay/missions.json";
    const std::filesystem::path aside = c.root() / "missions-aside.json";

    json giant = sb1;
    giant["dynamic_models"]["0"] = "fortress-crawler";
    json badSchema = sb1;
    badSchema["schema"] = 2;

    const struct {
        const char* text;
        std::function<void()> change;
        bool coop = false;
    } cases[] = {
        {"Mission prototype is singleplayer only", [] {}, true},
        {"Mission prototype requires both decoded games and the SB2 shared atlas",
         [&] { std::filesystem::rename(shared, aside); }},
        {"Missing mission prototype actor template: 0", [&] { c.writeMissions(0, withoutSpawnsOfType(sb1, 0)); }},
        {"Missing mission prototype actor template: 2", [&] { c.writeMissions(0, withoutSpawnsOfType(sb1, 2)); }},
        {"Missing mission prototype actor template: 14", [&] { c.writeMissions(1, withoutSpawnsOfType(sb2, 14)); }},
        {"Mission prototype player anchor lacks clearance", [&] { c.writeMissions(1, withBunkers(sb2, {{0, 0}})); }},
        {"Not enough reachable mission prototype anchors",
         [&] { c.writeMissions(1, withBunkers(sb2, squareRing(40, 8))); }},
        // Only the corners of this square reach out to the nearest anchors:
        // room for fewer actors than any seed asks for.
        {"Not enough reachable mission prototype anchors",
         [&] { c.writeMissions(1, withBunkers(sb2, squareRing(68, 8))); }},
        {"Prototype actor exceeds placement clearance", [&] { c.writeMissions(0, giant); }},
        {"Invalid mission schema", [&] { c.writeMissions(0, badSchema); }},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.text);
        row.change();
        World world;
        world.coop = row.coop;
        world.objectiveText = "BEFORE";
        const std::size_t before = world.targets.size();
        EXPECT_EQ(refusal([&] { world.loadMissionPrototype(c.root(), 11); }), row.text);
        EXPECT_EQ(world.objectiveText, "BEFORE");
        EXPECT_EQ(world.targets.size(), before);
        EXPECT_FALSE(world.prototype);
        EXPECT_EQ(world.missionIndex, -1);
        EXPECT_EQ(world.coop, row.coop);

        if (std::filesystem::exists(aside)) std::filesystem::rename(aside, shared);
        c.writeMissions(0, sb1);
        c.writeMissions(1, sb2);
    }
    EXPECT_EQ(refusal([&] { World().loadMissionPrototype(c.root(), 11); }), "accepted");
}

}  // namespace
}  // namespace bastion
