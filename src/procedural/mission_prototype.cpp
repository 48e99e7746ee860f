#include <algorithm>
#include <array>
#include <numbers>
#include <stdexcept>
#include <string>
#include <utility>

#include "world/decoded_json.h"
#include "procedural/internal/anchor_grid.h"
#include "procedural/internal/hash_sequence.h"
#include "procedural/internal/texture_band.h"
#include "world/world.h"

namespace bastion {
namespace {

constexpr int kSB1 = 0;
constexpr int kSB2 = 1;
constexpr int kGeneratedTag = 255;
constexpr int kSupplyPickup = 22;

// The three kinds of actor: SB1's tank and field gun, SB2's hover tank.
struct ActorTemplate {
    int unitType;
    int source;
};
constexpr std::array<ActorTemplate, 3> kTemplates = {{{0, kSB1}, {2, kSB1}, {14, kSB2}}};

constexpr float kNearestActor = 65.0f;
constexpr float kFarthestActor = 240.0f;
constexpr float kActorSpacing = 28.0f;
constexpr float kActorClearance = 6.0f;
constexpr u32 kMinActors = 8;
constexpr u32 kExtraActors = 5;

constexpr std::size_t kSupplyCount = 3;
constexpr float kNearestSupply = 18.0f;
constexpr float kFarthestSupply = 30.0f;
constexpr float kSupplySpacing = 12.0f;

const Target& findTemplate(const std::vector<Target>& targets, int unitType) {
    const auto found = std::find_if(targets.begin(), targets.end(), [&](const Target& t) {
        return t.unitType == unitType && !t.derived && t.mesh && !t.mesh->empty();
    });
    if (found == targets.end())
        throw std::runtime_error("Missing mission prototype actor template: " + std::to_string(unitType));
    return *found;
}

// A template unit made a fresh, active objective: the mission's own spawn
// rules, slots and AI history are dropped, its model and guns kept.
Target prepareTemplate(const Target& unit, int source, float difficultyRatio) {
    Target t = unit;
    t.prototypeSource = source;
    t.prototypeObjective = true;
    bandTargetTextures(t, source);
    t.active = true;
    t.destroyed = false;
    t.critical = false;
    t.hidden = false;
    t.hasDestination = false;
    t.derived = false;
    t.trigger = 0;
    t.flags = 0;
    t.behaviour = t.unitType == 0 ? 2u : 0u;
    t.flagBit = 0;
    t.state = 0;
    std::fill(std::begin(t.parameters), std::end(t.parameters), 0);
    t.parameters[0] = 18000;
    t.parameters[1] = 128;
    t.parameters[2] = 3;
    t.parameters[3] = 512;

    const Target fresh;
    t.group = fresh.group;
    t.dropped = false;
    t.chosenPilot = fresh.chosenPilot;
    t.retargetTimer = 0.0f;
    t.trackPhase = 0.0f;
    t.attackSlot = 0;
    t.targetSlot = fresh.targetSlot;
    t.host = fresh.host;
    t.generator = fresh.generator;
    t.parent = fresh.parent;
    t.stateTimer = t.alertTimer = t.respawn = t.initialYaw = t.turretYaw = t.turretPitch = 0.0f;
    t.roll = t.pitch = t.stuckTimer = t.flash = t.secondaryTimer = t.cruiseDelay = 0.0f;
    t.burstLeft = t.secondaryLeft = t.passes = t.sideCounter = 0;
    t.anchor = t.velocity = t.mountOffset = Vec3{};
    t.started = false;
    t.rocketUsed = false;
    t.route.clear();
    t.routeIndex = 0;

    t.health = (t.unitType == 14 ? 160.0f : 80.0f) * difficultyRatio;
    t.lastHealth = t.initialHealth = t.health;
    return t;
}

// Static objects stay as SB2 placed them, but belong to no mission rule.
void neutraliseStatics(std::vector<Target>& targets) {
    std::erase_if(targets, [](const Target& t) { return t.unitType >= 0; });
    for (Target& t : targets) {
        t.prototypeSource = kSB2;
        t.tag = kGeneratedTag;
        t.action = 0;
        t.critical = false;
        t.hasDestination = false;
        t.targetSlot = -1;
        bandTargetTextures(t, kSB2);
    }
}

void clearMissionRules(World& world) {
    world.generators.clear();
    world.cargoFlights.clear();
    world.pickups.clear();
    std::fill(std::begin(world.slots), std::end(world.slots), -1);
    world.missionFlags = 0;
    std::fill(std::begin(world.counters), std::end(world.counters), 0);
    world.initialCounter = 0;
    world.objectiveRegions.clear();
}

void shuffle(std::vector<Vec3>& points, HashSequence& draws) {
    for (std::size_t i = points.size(); i-- > 1;) std::swap(points[i], points[draws.below(static_cast<u32>(i + 1))]);
}

bool spacedFrom(const std::vector<Vec3>& used, Vec3 point, float spacing) {
    return std::none_of(used.begin(), used.end(), [&](Vec3 u) { return groundDistance(u, point) < spacing; });
}

void placeActors(World& world, const std::array<Target, 3>& templates, const std::vector<Vec3>& reached,
                 HashSequence& draws) {
    const Vec3 centre = world.pilot.position;
    std::vector<Vec3> candidates;
    for (Vec3 cell : reached) {
        const float d = groundDistance(cell, centre);
        if (d >= kNearestActor && d <= kFarthestActor) candidates.push_back(cell);
    }
    shuffle(candidates, draws);
    if (candidates.empty()) throw std::runtime_error("Not enough reachable mission prototype anchors");
    const u32 count = kMinActors + draws.below(kExtraActors);

    std::vector<Vec3> used;
    for (Vec3 anchor : candidates) {
        if (used.size() == count) break;
        if (!spacedFrom(used, anchor, kActorSpacing)) continue;
        const std::size_t k = used.size();
        Target actor = templates[k < templates.size() ? k : draws.below(3)];
        const float yaw = static_cast<float>(draws.next() & 2047u) * std::numbers::pi_v<float> / 1024.0f;
        actor.home = anchor;
        actor.homeYaw = actor.initialYaw = actor.turretYaw = yaw;
        world.updateEnemyBounds(actor);
        // Resets bring the unit back to where it was placed.
        actor.anchor = actor.home;
        if (actor.extent.x > kActorClearance || actor.extent.z > kActorClearance)
            throw std::runtime_error("Prototype actor exceeds placement clearance");
        world.targets.push_back(std::move(actor));
        used.push_back(anchor);
    }
    if (used.size() < count) throw std::runtime_error("Not enough reachable mission prototype anchors");
}

void placeSupplies(World& world, const std::vector<Vec3>& reached) {
    const Vec3 centre = world.pilot.position;
    std::vector<Vec3> placed;
    for (Vec3 cell : reached) {
        if (placed.size() == kSupplyCount) break;
        const float d = groundDistance(cell, centre);
        if (d < kNearestSupply || d > kFarthestSupply || !spacedFrom(placed, cell, kSupplySpacing)) continue;
        placed.push_back(cell);
        world.pickups.push_back(Pickup{cell, kSupplyPickup, false, 0});
    }
}

}  // namespace

void World::loadMissionPrototype(const std::filesystem::path& root, u32 seed) {
    if (coop) throw std::runtime_error("Mission prototype is singleplayer only");
    if (!entryExists(root / "sb2/shared/gameplay/missions.json"))
        throw std::runtime_error("Mission prototype requires both decoded games and the SB2 shared atlas");

    // Built aside and moved in whole, so a failure leaves this World as it
    // was; the pilot keeps its configured loadout and arm rig.
    World built;
    built.difficulty = difficulty;
    built.pilot = pilot;
    built.loadMission(root, 0, kSB2, true);

    std::array<Target, 3> templates;
    {
        World sb1;
        sb1.difficulty = difficulty;
        sb1.loadMission(root, 0, kSB1, false);
        for (std::size_t k = 0; k < kTemplates.size(); ++k) {
            const std::vector<Target>& from = kTemplates[k].source == kSB1 ? sb1.targets : built.targets;
            templates[k] = findTemplate(from, kTemplates[k].unitType);
        }
    }
    neutraliseStatics(built.targets);
    clearMissionRules(built);
    for (std::size_t k = 0; k < kTemplates.size(); ++k)
        templates[k] = prepareTemplate(templates[k], kTemplates[k].source, built.ratio);

    const std::vector<Vec3> reached = reachableAnchors(built.targets, built.pilot.position);
    HashSequence draws{seed};
    placeActors(built, templates, reached, draws);
    placeSupplies(built, reached);

    built.prototype = true;
    built.prototypeSeed = seed;
    built.random = seedRandom(seed);
    built.evaluateMission();
    *this = std::move(built);
}

}  // namespace bastion
