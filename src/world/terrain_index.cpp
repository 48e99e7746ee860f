#include <algorithm>
#include <cmath>

#include "world/world.h"

namespace bastion {
namespace {

// Cells cover the walkable square (|x|, |z| <= 1000) plus one cell on every
// side; nothing outside them is indexed, so a corrupt or huge corner can
// neither overflow the int conversion nor fill millions of cells.
constexpr float kFirstCell = -17.0f;
constexpr float kLastCell = 16.0f;

float cellFloor(float v) { return std::floor(v * 0.015625f); }

// Inclusive range of cells spanned by [low, high], clipped to the indexed
// cells; false when nothing of it is left.
bool cellRange(float low, float high, int& first, int& last) {
    const float a = std::max(cellFloor(low), kFirstCell);
    const float b = std::min(cellFloor(high), kLastCell);
    if (!(a <= b)) return false;
    first = static_cast<int>(a);
    last = static_cast<int>(b);
    return true;
}

}  // namespace

void World::indexTerrain() {
    ground.clear();
    cells.clear();
    if (terrain.size() < 3) return;
    for (size_t k = 0; k + 2 < terrain.size(); k += 3) {
        const Vec3 a = terrain[k].position, b = terrain[k + 1].position, c = terrain[k + 2].position;
        if (!isFinite(a) || !isFinite(b) || !isFinite(c)) continue;
        const float d = (a.z - c.z) * (c.x - b.x) + (a.x - c.x) * (b.z - c.z);
        // Walls and other triangles without area seen from above carry no ground.
        if (!(std::fabs(d) >= 1e-6f) || !std::isfinite(d)) continue;
        const u64 index = ground.size();
        ground.push_back({a, b, c, d});
        int x0 = 0, x1 = 0, z0 = 0, z1 = 0;
        if (!cellRange(std::min({a.x, b.x, c.x}), std::max({a.x, b.x, c.x}), x0, x1)) continue;
        if (!cellRange(std::min({a.z, b.z, c.z}), std::max({a.z, b.z, c.z}), z0, z1)) continue;
        for (int cx = x0; cx <= x1; ++cx) {
            for (int cz = z0; cz <= z1; ++cz) cells[{cx, cz}].push_back(index);
        }
    }
}

float World::surfaceHeight(float x, float z) const {
    const float fx = cellFloor(x), fz = cellFloor(z);
    // Non-finite and far-away points have no ground: height 0.
    if (!(fx >= kFirstCell && fx <= kLastCell && fz >= kFirstCell && fz <= kLastCell)) return 0.0f;
    const auto cell = cells.find({static_cast<int>(fx), static_cast<int>(fz)});
    if (cell == cells.end()) return 0.0f;
    float best = -1e9f;
    bool inside = false;
    for (const u64 index : cell->second) {
        const GroundTriangle& t = ground[index];
        const Vec3 a = t.a, b = t.b, c = t.c;
        const float w1 = ((b.z - c.z) * (x - c.x) + (c.x - b.x) * (z - c.z)) / t.denominator;
        const float w2 = ((c.z - a.z) * (x - c.x) + (a.x - c.x) * (z - c.z)) / t.denominator;
        if (w1 >= -1e-5f && w2 >= -1e-5f && w1 + w2 <= 1.00001f) {
            best = std::max(best, w1 * a.y + w2 * b.y + (1.0f - w1 - w2) * c.y);
            inside = true;
        }
    }
    return inside ? best : 0.0f;
}

}  // namespace bastion
