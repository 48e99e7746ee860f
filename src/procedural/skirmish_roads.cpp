#include <algorithm>
#include <utility>
#include <vector>

#include "procedural/internal/skirmish_map.h"

namespace bastion::skirmish {
namespace {

// Interior lines sit within 10 m of every 120 m, so neighbouring lines are
// 100..140 m apart.
std::vector<float> gridLines(Map& map) {
    std::vector<float> lines(static_cast<std::size_t>(map.n));
    lines.front() = -map.half;
    for (int k = 1; k < map.cells; ++k) {
        const u32 jitter = map.draw() % 21u;
        lines[static_cast<std::size_t>(k)] =
            (120.0f * static_cast<float>(k) - map.half) + static_cast<float>(jitter) - 10.0f;
    }
    lines.back() = map.half;
    return lines;
}

// Previous row, previous column, next column, next row.
std::vector<int> gridNeighbours(const Map& map, int node) {
    std::vector<int> neighbours;
    if (map.row(node) > 0) neighbours.push_back(node - map.n);
    if (map.col(node) > 0) neighbours.push_back(node - 1);
    if (map.col(node) < map.n - 1) neighbours.push_back(node + 1);
    if (map.row(node) < map.n - 1) neighbours.push_back(node + map.n);
    return neighbours;
}

// Every node's edge to the next column, then to the next row.
std::vector<std::pair<int, int>> gridEdges(const Map& map) {
    std::vector<std::pair<int, int>> edges;
    for (int node = 0; node < map.nodeCount(); ++node) {
        if (map.col(node) < map.n - 1) edges.emplace_back(node, node + 1);
        if (map.row(node) < map.n - 1) edges.emplace_back(node, node + map.n);
    }
    return edges;
}

bool arterial(const Map& map, int a, int b) {
    return (map.row(a) == map.mid && map.row(b) == map.mid) || (map.col(a) == map.mid && map.col(b) == map.mid);
}

// A recursive backtracker from the spawn corner, so every node is reachable.
void spanningTree(Map& map) {
    std::vector<bool> visited(static_cast<std::size_t>(map.nodeCount()), false);
    visited[0] = true;
    std::vector<int> stack{0};
    while (!stack.empty()) {
        const int top = stack.back();
        std::vector<int> open;
        for (const int neighbour : gridNeighbours(map, top)) {
            if (!visited[static_cast<std::size_t>(neighbour)]) open.push_back(neighbour);
        }
        if (open.empty()) {
            stack.pop_back();
            continue;
        }
        const int next = open[map.draw() % static_cast<u32>(open.size())];
        map.roads.insert(std::minmax(top, next));
        visited[static_cast<std::size_t>(next)] = true;
        stack.push_back(next);
    }
}

// Every non-arterial edge draws, tree road or not, so the number of draws
// depends on the map size alone.
void extraRoads(Map& map) {
    const u32 percent = map.draw() % 26u + 20u;
    for (const auto& [a, b] : gridEdges(map)) {
        if (arterial(map, a, b)) {
            map.roads.emplace(a, b);
        } else if (map.draw() % 100u < percent) {
            map.roads.emplace(a, b);
        }
    }
}

// A tree has a single way to every objective; one spare edge gives a choice.
void forcedLoop(Map& map) {
    if (map.roads.size() != static_cast<std::size_t>(map.nodeCount() - 1)) return;
    std::vector<std::pair<int, int>> spare;
    for (const auto& edge : gridEdges(map)) {
        if (!map.roads.contains(edge)) spare.push_back(edge);
    }
    if (spare.empty()) noSafeSite();
    map.roads.insert(spare[map.draw() % static_cast<u32>(spare.size())]);
}

}  // namespace

Map layRoads(int cells, u32 seed) {
    Map map;
    map.cells = cells;
    map.n = cells + 1;
    map.mid = cells / 2;
    map.half = static_cast<float>(cells) * 120.0f * 0.5f;
    map.state = seedRandom(seed);
    map.xLines = gridLines(map);
    map.zLines = gridLines(map);
    spanningTree(map);
    extraRoads(map);
    forcedLoop(map);
    map.adjacency.resize(static_cast<std::size_t>(map.nodeCount()));
    for (const auto& [a, b] : map.roads) {
        map.adjacency[static_cast<std::size_t>(a)].push_back(b);
        map.adjacency[static_cast<std::size_t>(b)].push_back(a);
    }
    return map;
}

json nodesJson(const Map& map) {
    json nodes = json::array();
    for (int node = 0; node < map.nodeCount(); ++node) {
        nodes.push_back({static_cast<double>(map.xLines[static_cast<std::size_t>(map.col(node))]),
                         static_cast<double>(map.zLines[static_cast<std::size_t>(map.row(node))])});
    }
    return nodes;
}

json roadsJson(const Map& map) {
    json roads = json::array();
    for (const auto& [a, b] : map.roads) {
        const bool main = arterial(map, a, b);
        roads.push_back({{"nodes", {a, b}}, {"width", main ? 28 : 20}, {"class", main ? "arterial" : "local"}});
    }
    return roads;
}

}  // namespace bastion::skirmish
