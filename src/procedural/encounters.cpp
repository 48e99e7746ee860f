#include "procedural/internal/encounters.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "procedural/internal/air_encounters.h"
#include "procedural/internal/encounter_actors.h"
#include "procedural/internal/encounter_clearance.h"
#include "procedural/internal/encounter_roads.h"
#include "procedural/internal/recipe_values.h"
#include "world/world.h"

namespace bastion {
namespace {

using json = nlohmann::json;
using namespace encounter;

constexpr std::size_t kMaxNodes = 81;
constexpr std::size_t kMaxObjectives = 8;
constexpr std::size_t kMaxRoads = 144;
constexpr std::size_t kGroundBudget = 64;
constexpr std::size_t kActorBudget = 72;
constexpr int kDefaultGroundPerZone = 6;

constexpr float kActorSpacing = 20.0f;
constexpr float kRoadsideMargin = 1.0f;
constexpr float kFootingTolerance = 0.5f;
constexpr float kBoxMargin = 1.0f;
constexpr float kRouteMargin = 1.0f;
constexpr float kPatrolOffsets[] = {24.0f, -24.0f, 16.0f, -16.0f};
constexpr float kPatrolEndMargin = 8.0f;
constexpr int kPatrolChecks = 6;
constexpr float kDetourAhead = 5.0f;
constexpr float kDetourAside = 4.5f;
constexpr float kWalkerRadius = 3.5f;
constexpr float kWalkerEye = 6.0f;

// Ground kinds in the order their groups cycle: tank, gun, Satyr.
constexpr int kGroundTypes[3] = {kTankType, kGunType, kSatyrType};
constexpr int kTank = 0;
constexpr int kGun = 1;

std::size_t arraySize(const json& recipe, const char* key) {
    const json* list = recipe::field(recipe, key);
    return list != nullptr && list->is_array() ? list->size() : 0;
}

std::string textOr(const json* value, const char* fallback) {
    return value != nullptr && value->is_string() ? value->get<std::string>() : fallback;
}

int recipeVersion(const json& recipe) {
    const json* version = recipe::field(recipe, "version");
    return version != nullptr && version->is_number_integer() ? version->get<int>() : 1;
}

// Groups wanted for objective i, within its share of the ground budget.
int groupCount(const json& recipe, bool encounter, std::size_t objective, std::size_t objectives) {
    int count = encounter ? 3 : 2;
    if (recipeVersion(recipe) >= 3) {
        const json* encounters = recipe::field(recipe, "encounters");
        const json* perZone = encounters == nullptr ? nullptr : recipe::field(*encounters, "ground_per_zone");
        count = kDefaultGroundPerZone;
        if (perZone != nullptr) {
            if (!recipe::integerIn(perZone, 1.0, 12.0))
                throw std::runtime_error("Ground encounter count outside 1..12");
            count = perZone->get<int>();
        }
    }
    const std::size_t share = kGroundBudget / objectives + (objective < kGroundBudget % objectives ? 1 : 0);
    return std::min(count, static_cast<int>(share));
}

float horizontal(Vec3 a, Vec3 b) { return std::hypot(a.x - b.x, a.z - b.z); }

// Ground actors placed so far, with the road each stands on.
struct Placed {
    std::vector<Target> actors;
    std::vector<std::size_t> roads;
};

class GroundPlacement {
public:
    GroundPlacement(World& world, const json& recipe, const std::vector<Target>& templates)
        : world_(world), nodes_(recipeNodes(recipe)), obstacles_(world) {
        for (int kind = 0; kind < 3; ++kind) {
            ground_[kind] = findTemplate(templates, kGroundTypes[kind]);
            if (ground_[kind] == nullptr) throw std::runtime_error("Missing tank, gun or Satyr encounter template");
        }
        roads_ = encounterRoads(world, recipe, nodes_);
        anchors_ = shuffledAnchors(roads_, world.prototypeSeed);
        zones_ = missionZones(world, recipe, nodes_);
    }

    const std::vector<Anchor>& anchors() const { return anchors_; }
    Placed& placed() { return placed_; }

    // The groups of objective i; throws when none of them found a place.
    void populate(const json& objective, std::size_t i, int groups) {
        const json* node = recipe::field(objective, "node");
        const bool known = recipe::integerIn(node, 0.0, static_cast<double>(nodes_.size()) - 1.0);
        const bool encounter = textOr(recipe::field(objective, "kind"), "encounter") == "encounter";
        std::size_t placedHere = 0;
        if (known) {
            const std::vector<float> distances = roadDistances(roads_, nodes_.size(), node->get<std::size_t>());
            const std::vector<std::size_t> order = anchorsByDistance(roads_, anchors_, distances);
            for (int g = 0; g < groups; ++g) {
                const u32 other = ((static_cast<u32>(g) / 2u) + static_cast<u32>(i) + world_.prototypeSeed) & 1u;
                const int first = encounter ? g % 3 : (g % 2 == 1 ? 2 : static_cast<int>(other));
                const bool patrol = first != kGun && g < 3;
                for (int attempt = 0; attempt < 4; ++attempt) {
                    if (placeOne((first + attempt) % 3, order, i, encounter, patrol)) {
                        ++placedHere;
                        break;
                    }
                }
            }
        }
        if (placedHere == 0)
            throw std::runtime_error("No safe connected encounter placement for objective " + std::to_string(i + 1));
    }

private:
    Target groundActor(int kind, std::size_t objective, bool encounter) const {
        const Target& source = *ground_[kind];
        Target actor = freshActor(source);
        actor.behaviour = kind == kTank ? 4 : 0;
        actor.range = 10000.0f;
        actor.fireTimer = 0.6f;
        if (kind == kGun)
            actor.speed = 0.0f;
        else
            actor.speed = source.speed > 0.0f ? source.speed : (kind == kTank ? 6.0f : 10.0f);
        actor.parameters[0] = kind == kGun ? 14000 : 11000;
        actor.parameters[1] = 128;
        actor.parameters[2] = 3;
        actor.parameters[3] = 512;
        actor.prototypeObjective = encounter;
        actor.objectiveIndex = static_cast<int>(objective);
        return actor;
    }

    bool placeOne(int kind, const std::vector<std::size_t>& order, std::size_t objective, bool encounter,
                  bool patrol) {
        for (std::size_t index : order) {
            const Anchor& anchor = anchors_[index];
            const Road& road = roads_[anchor.road];
            Target actor = groundActor(kind, objective, encounter);
            const Vec3 pilot = world_.pilot.position;
            const Vec3 point = anchor.position;
            settle(world_, actor, point, std::atan2(point.x - pilot.x, point.z - pilot.z),
                   world_.surfaceHeight(point.x, point.z));
            if (!standsClear(actor, road)) continue;
            if (patrol && kind != kGun) addPatrol(actor, anchor, road);
            restartAi(actor);
            placed_.actors.push_back(actor);
            placed_.roads.push_back(anchor.road);
            if (everyDetourKept()) return true;
            placed_.actors.pop_back();
            placed_.roads.pop_back();
        }
        return false;
    }

    // The cheap tests first: the outcome is the same whatever their order.
    bool standsClear(const Target& actor, const Road& road) const {
        const Vec3 p = actor.position, e = actor.extent;
        const float r = std::hypot(e.x, e.z);
        const float across = road.alongX() ? e.z : e.x;
        if (across + kRoadsideMargin > road.halfWidth) return false;
        if (!zones_.clear(p, r)) return false;
        for (const Target& other : placed_.actors) {
            if (horizontal(p, other.position) < kActorSpacing) return false;
            if (other.route.empty()) continue;
            const float reach = std::hypot(other.extent.x, other.extent.z) + kRouteMargin;
            if (intersects(other.position, other.route[0], p, e + Vec3{reach, other.extent.y, reach})) return false;
        }
        const float bottom = p.y - e.y;
        for (const float dx : {-e.x, e.x}) {
            for (const float dz : {-e.z, e.z}) {
                if (std::fabs(world_.surfaceHeight(p.x + dx, p.z + dz) - bottom) > kFootingTolerance) return false;
            }
        }
        if (!world_.groundPassable(actor.home, r)) return false;
        return obstacles_.lineClear(p, p, {e.x + kBoxMargin, e.y, e.z + kBoxMargin}, placed_.actors);
    }

    // A short back-and-forth along the road, when one stays clear.
    void addPatrol(Target& actor, const Anchor& anchor, const Road& road) const {
        const Vec3 half = actor.modelHalf;
        const float r = std::hypot(half.x, half.z);
        const Vec3 home = actor.home;
        for (const float offset : kPatrolOffsets) {
            const float along = anchor.along + offset;
            if (along < kPatrolEndMargin || along > road.length - kPatrolEndMargin) continue;
            Vec3 end = home + road.direction() * offset;
            end.y = home.y + world_.surfaceHeight(end.x, end.z) - world_.surfaceHeight(home.x, home.z);
            bool clear = true;
            for (int k = 1; k <= kPatrolChecks && clear; ++k) {
                clear = zones_.clear(actor.position + (end - actor.position) * (static_cast<float>(k) / kPatrolChecks), r);
            }
            if (!clear || !walkable(world_, home, end, r)) continue;
            if (!obstacles_.lineClear(actor.position, end, {r, half.y, r}, placed_.actors)) continue;
            actor.route = {end, home};
            if (actor.unitType == kTankType) actor.behaviour = 2;
            return;
        }
    }

    Vec3 lifted(Vec3 p) const { return {p.x, world_.surfaceHeight(p.x, p.z) + kWalkerEye, p.z}; }

    // A walker can still pass the actor on one side or the other.
    bool keepsDetour(const Target& actor, const Road& road) const {
        const Vec3 ahead = road.direction();
        const Vec3 aside{-ahead.z, 0.0f, ahead.x};
        const float along = (road.alongX() ? actor.extent.x : actor.extent.z) + kDetourAhead;
        const float across = (road.alongX() ? actor.extent.z : actor.extent.x) + kDetourAside;
        const Vec3 margin{kWalkerRadius, kWalkerEye, kWalkerRadius};
        for (const float side : {-1.0f, 1.0f}) {
            const Vec3 before = actor.position - ahead * along;
            const Vec3 after = actor.position + ahead * along;
            const Vec3 offset = aside * (side * across);
            const Vec3 path[4] = {before, before + offset, after + offset, after};
            bool clear = true;
            for (int leg = 0; leg < 3 && clear; ++leg) {
                clear = walkable(world_, path[leg], path[leg + 1], kWalkerRadius) &&
                        obstacles_.lineClear(lifted(path[leg]), lifted(path[leg + 1]), margin, placed_.actors);
            }
            if (clear) return true;
        }
        return false;
    }

    bool everyDetourKept() const {
        for (std::size_t k = 0; k < placed_.actors.size(); ++k) {
            if (!keepsDetour(placed_.actors[k], roads_[placed_.roads[k]])) return false;
        }
        return true;
    }

    World& world_;
    std::vector<Vec3> nodes_;
    const Target* ground_[3] = {};
    std::vector<Road> roads_;
    std::vector<Anchor> anchors_;
    Zones zones_;
    Obstacles obstacles_;
    Placed placed_;
};

}  // namespace

void populateProceduralEncounters(World& world, const json& recipe, const std::vector<Target>& templates) {
    if (templates.empty()) throw std::runtime_error("Missing procedural encounter templates");
    const std::size_t objectives = arraySize(recipe, "objectives");
    if (arraySize(recipe, "nodes") > kMaxNodes || objectives < 1 || objectives > kMaxObjectives ||
        arraySize(recipe, "roads") > kMaxRoads)
        throw std::runtime_error("Procedural encounter budget exceeded");
    GroundPlacement ground(world, recipe, templates);
    const json& list = *recipe::field(recipe, "objectives");
    for (std::size_t i = 0; i < objectives; ++i) {
        const bool encounter = textOr(recipe::field(list[i], "kind"), "encounter") == "encounter";
        ground.populate(list[i], i, groupCount(recipe, encounter, i, objectives));
    }
    std::vector<Target>& actors = ground.placed().actors;
    if (actors.size() > kGroundBudget) throw std::runtime_error("Procedural ground actor budget exceeded");
    std::vector<Target> air;
    if (recipeVersion(recipe) >= 3) air = placeAirUnits(world, recipe, templates, ground.anchors());
    if (actors.size() + air.size() > kActorBudget) throw std::runtime_error("Procedural actor budget exceeded");
    world.targets.reserve(world.targets.size() + actors.size() + air.size());
    for (Target& actor : actors) world.targets.push_back(std::move(actor));
    for (Target& actor : air) world.targets.push_back(std::move(actor));
}

}  // namespace bastion
