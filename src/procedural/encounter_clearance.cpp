#include "procedural/internal/encounter_clearance.h"

#include <algorithm>
#include <cmath>

#include <nlohmann/json.hpp>

#include "procedural/internal/recipe_values.h"
#include "world/world.h"

namespace bastion::encounter {
namespace {

using json = nlohmann::json;

constexpr float kMovementLimit = 998.0f;
constexpr float kSampleSpacing = 2.0f;
constexpr float kSpawnMargin = 8.0f;
constexpr float kSpawnMinimum = 60.0f;
constexpr float kObjectiveMargin = 2.0f;
constexpr float kExtractionMargin = 4.0f;
constexpr float kPickupMargin = 5.0f;

float horizontal(Vec3 a, Vec3 b) { return std::hypot(a.x - b.x, a.z - b.z); }

// A zone of the recipe: its node's point and its radius; nothing when the
// zone does not name a node.
bool readZone(const json* zone, const std::vector<Vec3>& nodes, Circle& circle) {
    if (zone == nullptr) return false;
    const json* node = recipe::field(*zone, "node");
    if (!recipe::integerIn(node, 0.0, static_cast<double>(nodes.size()) - 1.0)) return false;
    circle.centre = nodes[node->get<std::size_t>()];
    const json* radius = recipe::field(*zone, "radius");
    circle.radius = recipe::isNumber(radius) ? recipe::toFloat(radius->get<double>()) : 0.0f;
    return true;
}

bool inLimits(Vec3 p, Vec3 margin) {
    return std::fabs(p.x) + margin.x <= kMovementLimit && std::fabs(p.z) + margin.z <= kMovementLimit;
}

}  // namespace

bool intersects(Vec3 a, Vec3 b, Vec3 centre, Vec3 half) {
    const float from[3] = {a.x, a.y, a.z};
    const float to[3] = {b.x, b.y, b.z};
    const float middle[3] = {centre.x, centre.y, centre.z};
    const float size[3] = {half.x, half.y, half.z};
    float tmin = 0.0f, tmax = 1.0f;
    for (int axis = 0; axis < 3; ++axis) {
        const float d = to[axis] - from[axis];
        if (std::fabs(d) < 0.00001f) {
            if (std::fabs(from[axis] - middle[axis]) > size[axis]) return false;
            continue;
        }
        const float t1 = (middle[axis] - size[axis] - from[axis]) / d;
        const float t2 = (middle[axis] + size[axis] - from[axis]) / d;
        tmin = std::max(tmin, std::min(t1, t2));
        tmax = std::min(tmax, std::max(t1, t2));
        if (!(tmin <= tmax)) return false;
    }
    return true;
}

bool walkable(const World& world, Vec3 from, Vec3 to, float radius) {
    const float length = horizontal(from, to);
    if (!std::isfinite(length)) return false;
    const int samples = std::max(1, static_cast<int>(std::ceil(std::min(length, 4000.0f) / kSampleSpacing)));
    for (int i = 0; i <= samples; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(samples);
        if (!world.groundPassable(from + (to - from) * t, radius)) return false;
    }
    return true;
}

bool Zones::clear(Vec3 point, float radius) const {
    if (horizontal(point, pilot) < std::max(spawnRadius + radius + kSpawnMargin, kSpawnMinimum)) return false;
    for (const Circle& zone : objectives) {
        if (horizontal(point, zone.centre) < zone.radius + radius + kObjectiveMargin) return false;
    }
    for (const Circle& zone : extraction) {
        if (horizontal(point, zone.centre) < zone.radius + radius + kExtractionMargin) return false;
    }
    for (Vec3 pickup : pickups) {
        if (horizontal(point, pickup) < radius + kPickupMargin) return false;
    }
    return true;
}

Zones missionZones(const World& world, const json& recipe, const std::vector<Vec3>& nodes) {
    Zones zones;
    zones.pilot = world.pilot.position;
    Circle spawn;
    if (readZone(recipe::field(recipe, "spawn"), nodes, spawn)) zones.spawnRadius = spawn.radius;
    if (const json* objectives = recipe::field(recipe, "objectives"); objectives && objectives->is_array()) {
        for (const auto& objective : *objectives) {
            Circle circle;
            if (readZone(&objective, nodes, circle)) zones.objectives.push_back(circle);
        }
    }
    Circle extraction;
    if (readZone(recipe::field(recipe, "extraction"), nodes, extraction)) zones.extraction.push_back(extraction);
    for (const Pickup& pickup : world.pickups) zones.pickups.push_back(pickup.position);
    return zones;
}

bool live(const Target& target) { return target.active && !target.hidden && target.health > 0.0f; }

Obstacles::Obstacles(const World& world) {
    for (const Target& target : world.targets) {
        if (live(target)) scenery_.push_back({target.position, target.extent});
    }
}

bool Obstacles::lineClear(Vec3 a, Vec3 b, Vec3 margin, const std::vector<Target>& placed) const {
    if (!inLimits(a, margin) || !inLimits(b, margin)) return false;
    for (const Box& box : scenery_) {
        if (intersects(a, b, box.centre, box.half + margin)) return false;
    }
    for (const Target& actor : placed) {
        if (live(actor) && intersects(a, b, actor.position, actor.extent + margin)) return false;
    }
    return true;
}

}  // namespace bastion::encounter
