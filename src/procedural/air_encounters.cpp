#include "procedural/internal/air_encounters.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "procedural/internal/encounter_actors.h"
#include "procedural/internal/encounter_clearance.h"
#include "procedural/internal/recipe_values.h"
#include "world/world.h"

namespace bastion::encounter {
namespace {

using json = nlohmann::json;

constexpr int kDefaultAirUnits = 3;
constexpr int kMaxAirUnits = 8;
constexpr float kFloorAboveCeiling = 18.0f;
constexpr float kLayerStep = 12.0f;
constexpr float kSmallestMap = 100.0f;
constexpr float kPilotClearance = 90.0f;
constexpr float kEdgeLimit = 980.0f;
constexpr float kAirSpacing = 40.0f;
constexpr float kAirBoxGap = 4.0f;

int airCount(const json& recipe) {
    const json* encounters = recipe::field(recipe, "encounters");
    const json* units = encounters == nullptr ? nullptr : recipe::field(*encounters, "air_units");
    if (units == nullptr) return kDefaultAirUnits;
    if (!recipe::integerIn(units, 0.0, kMaxAirUnits)) throw std::runtime_error("Air encounter count outside 0..8");
    return units->get<int>();
}

// The highest ground vertex or live object top, never below 0.
float ceiling(const World& world) {
    float top = 0.0f;
    for (const WorldVertex& vertex : world.terrain) top = std::max(top, vertex.position.y);
    for (const Target& target : world.targets) {
        if (live(target)) top = std::max(top, target.position.y + target.extent.y);
    }
    return top;
}

recipe::Rect<float> mapBounds(const json& recipe) {
    const json* bounds = recipe::field(recipe, "bounds");
    if (!recipe::isRect(bounds)) return {0.0f, 0.0f, 0.0f, 0.0f};
    return recipe::toFloat(recipe::rectOf(*bounds));
}

bool tooClose(const Target& a, const Target& b) {
    if (std::hypot(a.position.x - b.position.x, a.position.z - b.position.z) < kAirSpacing) return true;
    const Vec3 gap = a.position - b.position;
    const Vec3 reach = a.extent + b.extent;
    return std::fabs(gap.x) <= reach.x + kAirBoxGap && std::fabs(gap.y) <= reach.y + kAirBoxGap &&
           std::fabs(gap.z) <= reach.z + kAirBoxGap;
}

Target airActor(const Target& source) {
    Target actor = freshActor(source);
    actor.fireTimer = 1.0f;
    actor.speed = source.unitType == kFirstAirType ? 16.0f : 40.0f;
    actor.parameters[0] = 15000;
    actor.parameters[1] = 7000;
    actor.parameters[2] = 128;
    actor.parameters[3] = 3;
    actor.prototypeObjective = false;
    actor.objectiveIndex = -1;
    return actor;
}

}  // namespace

std::vector<Target> placeAirUnits(World& world, const json& recipe, const std::vector<Target>& templates,
                                  const std::vector<Anchor>& anchors) {
    std::vector<Target> placed;
    const int count = airCount(recipe);
    if (count == 0) return placed;
    const Target* kinds[2] = {findTemplate(templates, kFirstAirType), findTemplate(templates, kSecondAirType)};
    if (kinds[0] == nullptr || kinds[1] == nullptr)
        throw std::runtime_error("Missing procedural helicopter or fighter template");
    const float floor = ceiling(world) + kFloorAboveCeiling;
    const recipe::Rect<float> map = mapBounds(recipe);
    const float width = map.maxX - map.minX, depth = map.maxZ - map.minZ;
    if (!(width >= kSmallestMap && depth >= kSmallestMap) || anchors.empty()) return placed;
    const float hx = std::clamp(0.2f * width, 30.0f, 100.0f);
    const float hz = std::clamp(0.2f * depth, 30.0f, 100.0f);
    const float cornerX[4] = {-hx, hx, hx, -hx};
    const float cornerZ[4] = {-hz, -hz, hz, hz};
    const std::size_t n = anchors.size();
    for (std::size_t k = 0; k < static_cast<std::size_t>(count); ++k) {
        const float altitude = floor + kLayerStep * static_cast<float>(k % 3);
        bool found = false;
        for (std::size_t a = 0; a < n && !found; ++a) {
            const Vec3 anchor = anchors[(17 * k + a) % n].position;
            const float cx = std::clamp(anchor.x, map.minX + hx + 20.0f, map.maxX - hx - 20.0f);
            const float cz = std::clamp(anchor.z, map.minZ + hz + 20.0f, map.maxZ - hz - 20.0f);
            const auto corner = [&](std::size_t c) {
                return Vec3{cx + cornerX[c & 3], altitude, cz + cornerZ[c & 3]};
            };
            const std::size_t c = (a + k) & 3;
            const Vec3 start = corner(c), next = corner(c + 1);
            if (std::hypot(start.x - world.pilot.position.x, start.z - world.pilot.position.z) < kPilotClearance)
                continue;
            Target actor = airActor(*kinds[k & 1]);
            settle(world, actor, start, std::atan2(start.x - next.x, start.z - next.z), altitude);
            if (std::fabs(actor.position.x) + actor.extent.x > kEdgeLimit ||
                std::fabs(actor.position.z) + actor.extent.z > kEdgeLimit)
                continue;
            if (std::any_of(placed.begin(), placed.end(), [&](const Target& other) { return tooClose(actor, other); }))
                continue;
            for (std::size_t step = 1; step <= 4; ++step) {
                Vec3 point = corner(c + step);
                point.y = actor.home.y;
                actor.route.push_back(point);
            }
            restartAi(actor);
            placed.push_back(std::move(actor));
            found = true;
        }
        if (!found) break;
    }
    return placed;
}

}  // namespace bastion::encounter
