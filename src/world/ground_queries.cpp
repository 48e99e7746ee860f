#include <algorithm>
#include <cmath>

#include "world/world.h"

namespace bastion {
namespace {

// Ground or water surface of a world with a terrain.
float surfaceWithWater(const World& world, float x, float z) {
    float surface = world.surfaceHeight(x, z);
    if (world.water.empty() || !world.hasWater(x, z, 0.0f)) return surface;
    for (const ProceduralWater& body : world.water) {
        const float* b = body.bounds;
        if (b[0] <= x && x <= b[2] && b[1] <= z && z <= b[3]) surface = std::max(surface, body.level);
    }
    return surface;
}

}  // namespace

bool World::groundPassable(Vec3 position, float radius) const {
    const float x = position.x, z = position.z;
    if (!std::isfinite(x) || !std::isfinite(z) || !std::isfinite(radius) || radius < 0.0f) return false;
    if (std::fabs(x) + radius > 1000.0f || std::fabs(z) + radius > 1000.0f) return false;
    if (hasWater(x, z, radius)) return false;
    const float h0 = surfaceHeight(x, z);
    const float s = std::max(radius, 0.5f);
    const float offsets[8][2] = {{s, 0}, {-s, 0}, {0, s}, {0, -s}, {s, s}, {s, -s}, {-s, s}, {-s, -s}};
    for (const auto& offset : offsets) {
        const float dx = offset[0], dz = offset[1];
        const float hi = surfaceHeight(x + dx, z + dz);
        // A slope of 0.5 per unit plus a step of 0.5.
        if (std::fabs(hi - h0) > 0.5f * std::hypot(dx, dz) + 0.5f) return false;
    }
    return true;
}

float World::groundContact(Vec3 from, Vec3 to) const {
    // A corrupt segment meets no ground.
    if (!isFinite(from) || !isFinite(to)) return 2.0f;
    if (!proceduralTerrain && water.empty()) {
        // Flat ground: the plane y = 0.
        if (from.y < 0.0f) return 0.0f;
        if (to.y < 0.0f) {
            const float t = from.y / (from.y - to.y);
            return t < 0.0f ? 0.0f : std::min(t, 1.0f);
        }
        return 2.0f;
    }
    const auto depth = [&](float t) {
        const Vec3 p = from + (to - from) * t;
        return p.y - surfaceWithWater(*this, p.x, p.z);
    };
    if (from.y - surfaceWithWater(*this, from.x, from.z) < -1e-5f) return 0.0f;
    // One sample per unit of horizontal travel; a non-finite length takes
    // the most samples rather than reaching the int conversion.
    float samples = std::ceil(std::hypot(to.x - from.x, to.z - from.z));
    if (!(samples <= 512.0f)) samples = 512.0f;
    samples = std::max(samples, 1.0f);
    const int n = static_cast<int>(samples);
    for (int i = 1; i <= n; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(n);
        if (!(depth(t) < -1e-5f)) continue;
        float lo = static_cast<float>(i - 1) / static_cast<float>(n), hi = t;
        for (int k = 0; k < 12; ++k) {
            const float mid = (lo + hi) * 0.5f;
            if (depth(mid) < 0.0f) {
                hi = mid;
            } else {
                lo = mid;
            }
        }
        return hi;
    }
    return 2.0f;
}

}  // namespace bastion
