#pragma once

#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "world/math.h"
#include "world/target.h"

// Internal to the procedural library: the tests that keep placed enemies
// clear of the mission zones, of each other and of the scenery.
namespace bastion {

class World;

namespace encounter {

// Whether the segment a to b touches the box centre ± half (touching counts).
bool intersects(Vec3 a, Vec3 b, Vec3 centre, Vec3 half);

// Whether a walker of `radius` could walk the straight line: the ground is
// sampled at most 2 m apart, both ends included.
bool walkable(const World& world, Vec3 from, Vec3 to, float radius);

struct Circle {
    Vec3 centre;
    float radius = 0.0f;
};

// The places no enemy may stand near: the pilot's spawn, every objective
// node, the extraction node and the pickups.
struct Zones {
    Vec3 pilot;
    float spawnRadius = 8.0f;
    std::vector<Circle> objectives;
    std::vector<Circle> extraction;  // none or one
    std::vector<Vec3> pickups;

    // Whether a footprint of `radius` at `point` keeps its distance from all
    // of them.
    bool clear(Vec3 point, float radius) const;
};

Zones missionZones(const World& world, const nlohmann::json& recipe, const std::vector<Vec3>& nodes);

// The boxes that block a line: live World targets (fixed during placement)
// and the actors placed so far.
class Obstacles {
public:
    explicit Obstacles(const World& world);

    // Whether the segment a to b, swept by a box of half size `margin`,
    // stays inside the movement limits and misses every live box.
    bool lineClear(Vec3 a, Vec3 b, Vec3 margin, const std::vector<Target>& placed) const;

private:
    struct Box {
        Vec3 centre;
        Vec3 half;
    };
    std::vector<Box> scenery_;
};

// Active, shown and not destroyed.
bool live(const Target& target);

}  // namespace encounter
}  // namespace bastion
