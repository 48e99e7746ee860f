#include "procedural/internal/encounter_roads.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <queue>
#include <stdexcept>
#include <utility>

#include <nlohmann/json.hpp>

#include "procedural/internal/recipe_values.h"
#include "world/random.h"
#include "world/world.h"

namespace bastion::encounter {
namespace {

using json = nlohmann::json;

constexpr u32 kShuffleSalt = 0x454E4354u;  // "ENCT"
constexpr float kAnchorSpacing = 10.0f;
constexpr int kMaxAnchorsPerRoad = 24;

[[noreturn]] void invalidRoad() { throw std::runtime_error("Invalid encounter road"); }

// A node index of a road end, or -1.
int nodeIndex(const json& value, std::size_t nodeCount) {
    if (!value.is_number_integer()) return -1;
    const double index = value.get<double>();
    return index >= 0.0 && index < static_cast<double>(nodeCount) ? static_cast<int>(index) : -1;
}

Road readRoad(const World& world, const json& entry, const std::vector<Vec3>& nodes) {
    const json* ends = recipe::field(entry, "nodes");
    if (ends == nullptr || !ends->is_array() || ends->size() != 2) invalidRoad();
    Road road;
    road.a = nodeIndex((*ends)[0], nodes.size());
    road.b = nodeIndex((*ends)[1], nodes.size());
    if (road.a < 0 || road.b < 0) invalidRoad();
    const json* width = recipe::field(entry, "width");
    road.halfWidth = recipe::isNumber(width) ? recipe::toFloat(width->get<double>()) * 0.5f
                                             : std::numeric_limits<float>::quiet_NaN();
    const Vec3 a = nodes[static_cast<std::size_t>(road.a)];
    const Vec3 b = nodes[static_cast<std::size_t>(road.b)];
    road.start = {a.x, world.surfaceHeight(a.x, a.z), a.z};
    road.delta = Vec3{b.x, world.surfaceHeight(b.x, b.z), b.z} - road.start;
    road.length = std::hypot(road.delta.x, road.delta.z);
    const bool sized = std::isfinite(road.length) && road.length > 0.0f;
    const bool wide = std::isfinite(road.halfWidth) && road.halfWidth >= 8.0f && road.halfWidth <= 30.0f;
    const bool straight = road.delta.x == 0.0f || road.delta.z == 0.0f;
    if (!sized || !wide || !straight) invalidRoad();
    return road;
}

}  // namespace

Vec3 Road::direction() const { return {delta.x / length, 0.0f, delta.z / length}; }

Vec3 Road::at(float along) const { return start + delta * (along / length); }

std::vector<Vec3> recipeNodes(const json& recipe) {
    std::vector<Vec3> nodes;
    const json* list = recipe::field(recipe, "nodes");
    if (list == nullptr || !list->is_array()) return nodes;
    for (const auto& node : *list) {
        const bool point = recipe::numbers(&node, 2);
        nodes.push_back(point ? Vec3{recipe::toFloat(node[0].get<double>()), 0.0f, recipe::toFloat(node[1].get<double>())}
                              : Vec3{std::numeric_limits<float>::quiet_NaN(), 0.0f, 0.0f});
    }
    return nodes;
}

std::vector<Road> encounterRoads(const World& world, const json& recipe, const std::vector<Vec3>& nodes) {
    std::vector<Road> roads;
    const json* list = recipe::field(recipe, "roads");
    if (list == nullptr || !list->is_array()) return roads;
    for (const auto& entry : *list) roads.push_back(readRoad(world, entry, nodes));
    return roads;
}

std::vector<Anchor> shuffledAnchors(const std::vector<Road>& roads, u32 seed) {
    std::vector<Anchor> anchors;
    for (std::size_t r = 0; r < roads.size(); ++r) {
        const Road& road = roads[r];
        const int n = std::clamp(static_cast<int>(std::min(road.length / kAnchorSpacing, 1000.0f)), 1,
                                 kMaxAnchorsPerRoad);
        for (int k = 1; k <= n; ++k) {
            const float along = static_cast<float>(k) * road.length / static_cast<float>(n + 1);
            anchors.push_back({r, along, road.at(along)});
        }
    }
    u32 state = seed ^ kShuffleSalt;
    for (std::size_t i = anchors.size(); i-- > 1;) {
        const u32 z = nextSeed(state);
        state += 0x9E3779B9u;
        std::swap(anchors[i], anchors[z % static_cast<u32>(i + 1)]);
    }
    return anchors;
}

std::vector<float> roadDistances(const std::vector<Road>& roads, std::size_t nodeCount, std::size_t from) {
    std::vector<std::vector<std::pair<std::size_t, float>>> links(nodeCount);
    for (const Road& road : roads) {
        const auto a = static_cast<std::size_t>(road.a), b = static_cast<std::size_t>(road.b);
        links[a].emplace_back(b, road.length);
        links[b].emplace_back(a, road.length);
    }
    std::vector<float> distance(nodeCount, std::numeric_limits<float>::infinity());
    if (from >= nodeCount) return distance;
    using Entry = std::pair<float, std::size_t>;  // by distance, then node index
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> open;
    distance[from] = 0.0f;
    open.emplace(0.0f, from);
    while (!open.empty()) {
        const auto [d, node] = open.top();
        open.pop();
        if (d > distance[node]) continue;
        for (const auto& [next, length] : links[node]) {
            const float via = d + length;
            if (via < distance[next]) {
                distance[next] = via;
                open.emplace(via, next);
            }
        }
    }
    return distance;
}

std::vector<std::size_t> anchorsByDistance(const std::vector<Road>& roads, const std::vector<Anchor>& anchors,
                                           const std::vector<float>& distances) {
    std::vector<float> key(anchors.size());
    for (std::size_t i = 0; i < anchors.size(); ++i) {
        const Anchor& anchor = anchors[i];
        const Road& road = roads[anchor.road];
        key[i] = std::min(distances[static_cast<std::size_t>(road.a)] + anchor.along,
                          distances[static_cast<std::size_t>(road.b)] + road.length - anchor.along);
    }
    std::vector<std::size_t> order(anchors.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t l, std::size_t r) { return key[l] < key[r]; });
    return order;
}

}  // namespace bastion::encounter
