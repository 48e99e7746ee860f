#pragma once

#include <cstddef>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "world/math.h"

// Internal to the procedural library: the road network as the encounter
// placement sees it.
namespace bastion {

class World;

namespace encounter {

// One recipe road from node a to node b, its ends on the ground.
struct Road {
    int a = 0;
    int b = 0;
    Vec3 start;  // node a at ground height
    Vec3 delta;  // node b - node a, heights included
    float length = 0.0f;
    float halfWidth = 0.0f;

    bool alongX() const { return delta.z == 0.0f; }
    // The horizontal unit vector from a to b.
    Vec3 direction() const;
    // The point `along` metres from node a, its height interpolated.
    Vec3 at(float along) const;
};

// A candidate place on a road.
struct Anchor {
    std::size_t road = 0;
    float along = 0.0f;  // from node a
    Vec3 position;
};

// The node points [x, z] of "nodes" (an absent or malformed list reads as
// empty).
std::vector<Vec3> recipeNodes(const nlohmann::json& recipe);

// The recipe's roads in order; throws "Invalid encounter road" for a road
// that is not axis-aligned, has no length, a width outside 16..60 or ends that
// are not nodes.
std::vector<Road> encounterRoads(const World& world, const nlohmann::json& recipe, const std::vector<Vec3>& nodes);

// Evenly spaced anchors along every road, ends excluded: one per 10 m, at
// least 1 and at most 24 a road; then shuffled by `seed`.
std::vector<Anchor> shuffledAnchors(const std::vector<Road>& roads, u32 seed);

// Shortest road distance from `from` to every node (infinity when
// unreachable).
std::vector<float> roadDistances(const std::vector<Road>& roads, std::size_t nodeCount, std::size_t from);

// The anchor indices, nearest by road to the node whose distances are given
// first; ties keep the shuffled order.
std::vector<std::size_t> anchorsByDistance(const std::vector<Road>& roads, const std::vector<Anchor>& anchors,
                                           const std::vector<float>& distances);

}  // namespace encounter
}  // namespace bastion
