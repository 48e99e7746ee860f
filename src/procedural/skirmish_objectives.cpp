#include <algorithm>
#include <cstddef>
#include <deque>
#include <vector>

#include "procedural/internal/skirmish_map.h"

namespace bastion::skirmish {
namespace {

// One candidate site: a node and the free plots around it.
struct Choice {
    int score = 0;
    int node = 0;
    std::vector<int> plots;
};

// Hop counts over the roads from `start`; -1 for nodes never reached.
std::vector<int> distances(const std::vector<std::vector<int>>& adjacency, int start) {
    std::vector<int> hops(adjacency.size(), -1);
    std::deque<int> queue{start};
    hops[static_cast<std::size_t>(start)] = 0;
    while (!queue.empty()) {
        const int node = queue.front();
        queue.pop_front();
        for (const int next : adjacency[static_cast<std::size_t>(node)]) {
            if (hops[static_cast<std::size_t>(next)] < 0) {
                hops[static_cast<std::size_t>(next)] = hops[static_cast<std::size_t>(node)] + 1;
                queue.push_back(next);
            }
        }
    }
    return hops;
}

// The blocks whose corner the node is, that no strike objective holds yet.
std::vector<int> freePlotsAround(const Map& map, const std::vector<Plot>& plots, int node) {
    std::vector<int> around;
    const int row = map.row(node);
    const int col = map.col(node);
    const int corners[4][2] = {{row - 1, col - 1}, {row - 1, col}, {row, col - 1}, {row, col}};
    for (const auto& [bz, bx] : corners) {
        if (bz < 0 || bz >= map.cells || bx < 0 || bx >= map.cells) continue;
        const int id = bz * map.cells + bx;
        if (!plots[static_cast<std::size_t>(id)].strike) around.push_back(id);
    }
    return around;
}

// Far from the spawn counts once, far from every earlier objective three
// times, so the objectives spread over the map.
std::vector<Choice> choices(const Map& map, const std::vector<Plot>& plots, bool strike,
                            const std::vector<int>& candidates, const std::vector<int>& fromSpawn,
                            const std::vector<int>& chosen, const std::vector<std::vector<int>>& fromChosen) {
    std::vector<Choice> list;
    for (const int node : candidates) {
        if (std::find(chosen.begin(), chosen.end(), node) != chosen.end()) continue;
        Choice choice{0, node, freePlotsAround(map, plots, node)};
        if (strike && choice.plots.empty()) continue;
        const int spawnHops = fromSpawn[static_cast<std::size_t>(node)];
        int spread = chosen.empty() ? spawnHops : map.nodeCount();
        for (const auto& hops : fromChosen) spread = std::min(spread, hops[static_cast<std::size_t>(node)]);
        choice.score = spawnHops + 3 * spread;
        list.push_back(std::move(choice));
    }
    std::sort(list.begin(), list.end(), [](const Choice& a, const Choice& b) {
        return a.score != b.score ? a.score > b.score : a.node < b.node;
    });
    return list;
}

// Buildings of industry or storage make better strike targets than houses:
// an urban plot is taken only when fewer than two others are free.
int pickStrikePlot(Map& map, const std::vector<Plot>& plots, std::vector<int> around) {
    if (around.empty()) noSafeSite();
    std::stable_sort(around.begin(), around.end(), [&](int a, int b) {
        const bool urbanA = plots[static_cast<std::size_t>(a)].role == "urban";
        const bool urbanB = plots[static_cast<std::size_t>(b)].role == "urban";
        return urbanA != urbanB ? !urbanA : a < b;
    });
    const std::size_t span = std::min<std::size_t>(around.size(), 2);
    return around[map.draw() % static_cast<u32>(span)];
}

}  // namespace

json placeObjectives(Map& map, std::vector<Plot>& plots, const std::string& kind, int count) {
    const bool strike = kind == "strike";
    const std::vector<int> fromSpawn = distances(map.adjacency, 0);
    std::vector<int> candidates;
    for (int node = 0; node < map.nodeCount(); ++node) {
        if (fromSpawn[static_cast<std::size_t>(node)] >= 3) candidates.push_back(node);
    }
    std::vector<int> chosen;
    std::vector<std::vector<int>> fromChosen;
    const std::string objectiveKind = kind == "eliminate" ? "encounter" : kind;
    json objectives = json::array();
    while (static_cast<int>(objectives.size()) < count) {
        const std::vector<Choice> list = choices(map, plots, strike, candidates, fromSpawn, chosen, fromChosen);
        require(!list.empty(), "not enough reachable objective sites");
        const std::size_t span = std::min<std::size_t>(list.size(), 3);
        const Choice& choice = list[map.draw() % static_cast<u32>(span)];
        chosen.push_back(choice.node);
        fromChosen.push_back(distances(map.adjacency, choice.node));
        json objective = {{"node", choice.node}, {"radius", 8}, {"kind", objectiveKind}};
        if (strike) {
            const int plot = pickStrikePlot(map, plots, choice.plots);
            plots[static_cast<std::size_t>(plot)].strike = true;
            objective["plot"] = plot;
        }
        objectives.push_back(std::move(objective));
    }
    return objectives;
}

}  // namespace bastion::skirmish
