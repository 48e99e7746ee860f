#include "procedural/internal/plot_scenery.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "procedural/internal/recipe_values.h"
#include "world/world.h"

namespace bastion {
namespace {

using json = nlohmann::json;

constexpr float kLayoutMargin = 4.0f;
constexpr float kMarginShare = 0.4f;
constexpr float kLargestMargin = 8.0f;
constexpr float kSmallestFit = 0.25f;
constexpr float kScoreBand = 0.15f;
constexpr float kCellTolerance = 0.001f;

// One plot's grid of building cells.
struct Grid {
    recipe::Rect<float> bounds;
    int columns = 1;
    int rows = 1;
    float cellWidth = 0.0f;
    float cellDepth = 0.0f;

    recipe::Rect<float> cell(int k) const {
        const float x = bounds.minX + cellWidth * static_cast<float>(k % columns);
        const float z = bounds.minZ + cellDepth * static_cast<float>(k / columns);
        return {x, z, x + cellWidth, z + cellDepth};
    }
};

Grid plotGrid(const recipe::Rect<float>& bounds, int buildings) {
    Grid grid;
    grid.bounds = bounds;
    const float width = bounds.maxX - bounds.minX, depth = bounds.maxZ - bounds.minZ;
    const double columns = std::ceil(std::sqrt(static_cast<double>(buildings) * width / depth));
    grid.columns = std::clamp(static_cast<int>(std::min(columns, 64.0)), 1, buildings);
    grid.rows = (buildings + grid.columns - 1) / grid.columns;
    grid.cellWidth = width / static_cast<float>(grid.columns);
    grid.cellDepth = depth / static_cast<float>(grid.rows);
    return grid;
}

// How far a building's size and height are from what the role calls for.
float rolePreference(const std::string& role, const Vec3& extent) {
    const float footprint = std::max(extent.x, extent.z), height = 2.0f * extent.y;
    if (role == "storage") return std::fabs(2.0f * footprint - 30.0f) / 60.0f + std::fabs(height - 9.0f) / 9.0f;
    if (role == "urban") return std::fabs(height - 45.0f) / 45.0f;
    return std::fabs(2.0f * footprint - 40.0f) / 80.0f + std::fabs(height - 22.0f) / 22.0f;
}

bool sourceAllowed(const json& plot, int campaign) {
    const json* sources = recipe::field(plot, "sources");
    if (sources == nullptr || !sources->is_array()) return true;
    const char* name = campaign == 0 ? "sb1" : "sb2";
    return std::any_of(sources->begin(), sources->end(), [&](const json& source) { return source == name; });
}

float fitOf(const Target& scenery, float usableWidth, float usableDepth) {
    const Vec3 e = scenery.extent;
    return std::min({1.0f, usableWidth / (2.0f * e.x), usableDepth / (2.0f * e.z)});
}

struct Candidate {
    const Target* scenery;
    float fit;
};

// The templates within the score band of the best one, in template order.
std::vector<Candidate> candidates(const std::vector<Target>& scenery, const json& plot, const std::string& role,
                                  float usableWidth, float usableDepth) {
    std::vector<Candidate> list;
    float best = 1e9f;
    for (const Target& option : scenery) {
        if (!sourceAllowed(plot, option.prototypeSource)) continue;
        const float fit = fitOf(option, usableWidth, usableDepth);
        if (!(fit >= kSmallestFit)) continue;
        const float score = (1.0f - fit) * 4.0f + rolePreference(role, option.extent);
        if (score < best - kScoreBand) {
            list.clear();
            best = score;
        }
        if (score <= best + kScoreBand) list.push_back({&option, fit});
    }
    return list;
}

u32 pickHash(u32 building, u32 plot, u32 seed) {
    u32 h = building * 0xC2B2AE35u + plot * 0x9E3779B9u + seed;
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    return h;
}

SharedMesh scaled(const SharedMesh& mesh, float scale) {
    if (!mesh || scale == 1.0f) return mesh;
    auto copy = std::make_shared<Mesh>(*mesh);
    for (WorldVertex& vertex : *copy) vertex.position = vertex.position * scale;
    return copy;
}

Target building(World& world, const Candidate& choice, const recipe::Rect<float>& cell) {
    Target placed = *choice.scenery;
    const float scale = choice.fit;
    placed.mesh = scaled(placed.mesh, scale);
    placed.wreck = scaled(placed.wreck, scale);
    placed.span = placed.span * scale;
    placed.step *= scale;
    const float cx = 0.5f * (cell.minX + cell.maxX), cz = 0.5f * (cell.minZ + cell.maxZ);
    placed.home = {cx, 0.0f, cz};
    placed.boundsReady = false;
    world.updateEnemyBounds(placed);
    placed.home.x += cx - placed.position.x;
    placed.home.z += cz - placed.position.z;
    placed.home.y += world.surfaceHeight(placed.home.x, placed.home.z) - (placed.position.y - placed.extent.y);
    world.updateEnemyBounds(placed);
    const Vec3 low = placed.position - placed.extent, high = placed.position + placed.extent;
    if (low.x < cell.minX - kCellTolerance || low.z < cell.minZ - kCellTolerance ||
        high.x > cell.maxX + kCellTolerance || high.z > cell.maxZ + kCellTolerance)
        throw std::runtime_error("Procedural scenery exceeds plot");
    placed.prototypeObjective = false;
    placed.objectiveIndex = -1;
    placed.active = true;
    placed.destroyed = false;
    placed.hidden = false;
    placed.hasDestination = false;
    return placed;
}

}  // namespace

std::vector<std::vector<u64>> furnishPlots(World& world, const json& recipe, const std::vector<Target>& scenery) {
    const json& plots = recipe.at("plots");
    const bool version3 = recipe.at("version").get<int>() >= 3;
    std::vector<std::vector<u64>> buildings(plots.size());
    for (std::size_t p = 0; p < plots.size(); ++p) {
        const json& plot = plots[p];
        const int count = version3 ? plot.at("buildings").get<int>() : 1;
        if (count <= 0) continue;
        const Grid grid = plotGrid(recipe::toFloat(recipe::rectOf(plot.at("bounds"))), count);
        const float margin = version3 ? std::min(kMarginShare * std::min(grid.cellWidth, grid.cellDepth), kLargestMargin)
                                      : kLayoutMargin;
        const json* role = recipe::field(plot, "role");
        const std::vector<Candidate> options =
            candidates(scenery, plot, role != nullptr && role->is_string() ? role->get<std::string>() : "industrial",
                       grid.cellWidth - margin, grid.cellDepth - margin);
        if (options.empty()) throw std::runtime_error("No allowed procedural scenery fits plot " + std::to_string(p));
        for (int k = 0; k < count; ++k) {
            const u32 h = pickHash(static_cast<u32>(k), static_cast<u32>(p), world.prototypeSeed);
            const Candidate& choice = options[h % static_cast<u32>(options.size())];
            buildings[p].push_back(world.targets.size());
            world.targets.push_back(building(world, choice, grid.cell(k)));
        }
    }
    return buildings;
}

}  // namespace bastion
