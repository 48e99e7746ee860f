#include "procedural/internal/anchor_grid.h"

#include <cmath>
#include <cstdint>
#include <deque>
#include <stdexcept>

namespace bastion {
namespace {

constexpr int kHalfSide = kAnchorGridSide / 2;
constexpr float kPlayableHalf = 990.0f;
constexpr float kClearanceMargin = 8.0f;
constexpr float kWalkingHeight = 12.0f;

Vec3 cellPoint(Vec3 centre, int cell) {
    const int row = cell / kAnchorGridSide;
    const int column = cell % kAnchorGridSide;
    return {centre.x + static_cast<float>(column - kHalfSide) * kAnchorSpacing, 0.0f,
            centre.z + static_cast<float>(row - kHalfSide) * kAnchorSpacing};
}

bool blocks(const Target& target, Vec3 cell) {
    if (!target.active || !(target.health > 0.0f)) return false;
    const Vec3 p = target.position;
    const Vec3 e = target.extent;
    return p.y + e.y > 0.0f && p.y - e.y < kWalkingHeight && std::fabs(cell.x - p.x) < e.x + kClearanceMargin &&
           std::fabs(cell.z - p.z) < e.z + kClearanceMargin;
}

}  // namespace

float groundDistance(Vec3 a, Vec3 b) { return std::hypot(a.x - b.x, a.z - b.z); }

bool anchorFree(const std::vector<Target>& targets, Vec3 cell) {
    if (!(std::fabs(cell.x) < kPlayableHalf && std::fabs(cell.z) < kPlayableHalf)) return false;
    for (const Target& target : targets)
        if (blocks(target, cell)) return false;
    return true;
}

std::vector<Vec3> reachableAnchors(const std::vector<Target>& targets, Vec3 centre) {
    constexpr int kCells = kAnchorGridSide * kAnchorGridSide;
    std::vector<std::uint8_t> open(kCells), reached(kCells, 0);
    for (int cell = 0; cell < kCells; ++cell) open[cell] = anchorFree(targets, cellPoint(centre, cell)) ? 1 : 0;

    const int start = kHalfSide * kAnchorGridSide + kHalfSide;
    if (!open[start]) throw std::runtime_error("Mission prototype player anchor lacks clearance");
    std::deque<int> queue{start};
    reached[start] = 1;
    const auto visit = [&](int cell) {
        if (!open[cell] || reached[cell]) return;
        reached[cell] = 1;
        queue.push_back(cell);
    };
    while (!queue.empty()) {
        const int cell = queue.front();
        queue.pop_front();
        const int row = cell / kAnchorGridSide;
        const int column = cell % kAnchorGridSide;
        if (column > 0) visit(cell - 1);
        if (column + 1 < kAnchorGridSide) visit(cell + 1);
        if (row > 0) visit(cell - kAnchorGridSide);
        if (row + 1 < kAnchorGridSide) visit(cell + kAnchorGridSide);
    }

    std::vector<Vec3> points;
    for (int cell = 0; cell < kCells; ++cell)
        if (reached[cell]) points.push_back(cellPoint(centre, cell));
    return points;
}

}  // namespace bastion
