#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

#include "coop/room.h"

namespace bastion::coop {
namespace {

constexpr int kGridReach = 32;
constexpr float kCellSpacing = 2.0f;
constexpr float kSearchRadius = 64.0f;
constexpr float kLateralOffset[kRoomCapacity] = {0.0f, 10.0f, -10.0f, 20.0f};
constexpr float kStride = 8.0f;
constexpr float kHalfWidth = 3.5f;
constexpr float kWalkerHeight = 12.0f;
constexpr float kMapLimit = 996.5f;
constexpr float kFlatness = 0.4f;
constexpr float kMinimumGap = 10.0f;
constexpr float kColumnHalfWidth = 6.0f;
constexpr float kColumnHalfLength = 40.0f;

struct Cell {
    int a;
    int b;
};

// Every cell of the grid, nearest to the start first.
const std::vector<Cell>& cellsByDistance() {
    static const std::vector<Cell> cells = [] {
        std::vector<Cell> all;
        for (int a = -kGridReach; a <= kGridReach; ++a)
            for (int b = -kGridReach; b <= kGridReach; ++b) all.push_back({a, b});
        std::stable_sort(all.begin(), all.end(), [](Cell p, Cell q) {
            const int dp = p.a * p.a + p.b * p.b, dq = q.a * q.a + q.b * q.b;
            if (dp != dq) return dp < dq;
            if (p.a != q.a) return p.a < q.a;
            return p.b < q.b;
        });
        return all;
    }();
    return cells;
}

bool onMap(float x, float z) { return std::fabs(x) <= kMapLimit && std::fabs(z) <= kMapLimit; }

bool level(const World& world, float px, float pz, float fx, float fz, float ground) {
    for (float t : {0.0f, 0.5f, 1.0f}) {
        const float cx = px + t * fx, cz = pz + t * fz;
        for (float sx : {-kHalfWidth, kHalfWidth}) {
            for (float sz : {-kHalfWidth, kHalfWidth}) {
                if (std::fabs(world.surfaceHeight(cx + sx, cz + sz) - ground) > kFlatness) return false;
            }
        }
    }
    return true;
}

bool obstacle(const Target& t) {
    return t.health > 0.0f && !t.hidden && (t.active || (t.unitType >= 0 && !t.derived));
}

// Whether the segment from p along f (parameter 0..1) enters the slab
// |coordinate - centre| <= half on one axis, narrowing [enter, leave].
bool throughSlab(float p, float f, float centre, float half, float& enter, float& leave) {
    if (std::fabs(f) < 0.00001f) return std::fabs(p - centre) <= half;
    float t1 = (centre - half - p) / f, t2 = (centre + half - p) / f;
    if (t1 > t2) std::swap(t1, t2);
    enter = std::max(enter, t1);
    leave = std::min(leave, t2);
    return enter <= leave;
}

bool blocked(const World& world, float px, float pz, float fx, float fz, float ground) {
    for (const Target& t : world.targets) {
        if (!obstacle(t)) continue;
        if (!(t.position.y - t.extent.y < ground + kWalkerHeight && ground < t.position.y + t.extent.y)) continue;
        float enter = 0.0f, leave = 1.0f;
        if (throughSlab(px, fx, t.position.x, t.extent.x + kHalfWidth, enter, leave) &&
            throughSlab(pz, fz, t.position.z, t.extent.z + kHalfWidth, enter, leave))
            return true;
    }
    return false;
}

bool crowded(const std::vector<Vec3>& chosen, float px, float pz, float yaw) {
    const float c = std::cos(yaw), s = std::sin(yaw);
    for (const Vec3& q : chosen) {
        const float dx = px - q.x, dz = pz - q.z;
        if (std::hypot(dx, dz) < kMinimumGap) return true;
        const float side = dx * c - dz * s, along = dx * s + dz * c;
        if (std::fabs(side) < kColumnHalfWidth && std::fabs(along) < kColumnHalfLength) return true;
    }
    return false;
}

}  // namespace

std::vector<Vec3> spawnPositions(const World& world, std::span<const u32> slots) {
    if (slots.size() > kRoomCapacity) throw std::runtime_error("Lobby is full");
    const Vec3 start = world.pilot.position;
    const float yaw = world.pilot.angles[0];
    const float c = std::cos(yaw), s = std::sin(yaw);
    const float fx = -kStride * s, fz = -kStride * c;
    std::vector<Vec3> chosen;
    for (std::size_t k = 0; k < slots.size(); ++k) {
        const u32 slot = slots[k];
        if (slot >= kRoomCapacity || std::find(slots.begin(), slots.begin() + static_cast<long>(k), slot) != slots.begin() + static_cast<long>(k))
            throw std::runtime_error("Invalid player slot");
        bool placed = false;
        for (const Cell& cell : cellsByDistance()) {
            const float lx = kCellSpacing * static_cast<float>(cell.a) + kLateralOffset[slot];
            const float lz = kCellSpacing * static_cast<float>(cell.b);
            if (std::hypot(lx, lz) > kSearchRadius) continue;
            const float px = start.x + lx * c + lz * s;
            const float pz = start.z - lx * s + lz * c;
            const float ground = world.surfaceHeight(px, pz);
            if (!onMap(px, pz) || !onMap(px + fx, pz + fz)) continue;
            if (!level(world, px, pz, fx, fz, ground)) continue;
            if (blocked(world, px, pz, fx, fz, ground)) continue;
            if (crowded(chosen, px, pz, yaw)) continue;
            chosen.push_back({px, ground, pz});
            placed = true;
            break;
        }
        if (!placed) throw std::runtime_error("No clear co-op spawn nearby - deployment cancelled");
    }
    return chosen;
}

}  // namespace bastion::coop
