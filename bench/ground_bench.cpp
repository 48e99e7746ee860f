#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "support/terrain_builder.h"
#include "world/world.h"

namespace {

using bastion::Vec3;
using bastion::World;

// 40 x 40 quads of 25 units: 3200 rolling triangles over 1000 x 1000 units.
constexpr int kQuads = 40;

float rolling(float x, float z) { return 6.0f * std::sin(x * 0.02f) * std::cos(z * 0.03f); }

void buildTerrain(World& world) {
    world.proceduralTerrain = true;
    bastion::testing_support::buildHeightField(world, kQuads, 25.0f, rolling);
}

// A fixed spread of points over the terrain (xorshift, no allocation in the loop).
std::vector<Vec3> samplePoints(int count) {
    std::vector<Vec3> points;
    bastion::u32 state = 0x12345678u;
    const auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<float>(state % 100000u) / 100000.0f * 980.0f - 490.0f;
    };
    for (int i = 0; i < count; ++i) points.push_back({next(), 0.0f, next()});
    return points;
}

void BM_SurfaceHeight(benchmark::State& state) {
    World world;
    buildTerrain(world);
    const std::vector<Vec3> points = samplePoints(1024);
    size_t i = 0;
    for (auto _ : state) {
        const Vec3 p = points[i++ & 1023u];
        benchmark::DoNotOptimize(world.surfaceHeight(p.x, p.z));
    }
    state.counters["triangles"] = static_cast<double>(world.ground.size());
}
BENCHMARK(BM_SurfaceHeight);

// A projectile's step: a 40-unit segment from 8 above the ground sloping down.
void BM_GroundContact(benchmark::State& state) {
    World world;
    buildTerrain(world);
    const std::vector<Vec3> points = samplePoints(1024);
    size_t i = 0;
    for (auto _ : state) {
        const Vec3 p = points[i++ & 1023u];
        const Vec3 from{p.x, world.surfaceHeight(p.x, p.z) + 8.0f, p.z};
        const Vec3 to{p.x + 28.0f, from.y - 12.0f, p.z + 28.0f};
        benchmark::DoNotOptimize(world.groundContact(from, to));
    }
}
BENCHMARK(BM_GroundContact);

// The crosshair ray over the 35 boxes of the test range.
void BM_TraceAim(benchmark::State& state) {
    const World world;
    const Vec3 eye = bastion::eyePosition(world.pilot);
    float yaw = -0.6f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(world.traceAim(eye, bastion::direction(yaw, -0.05f), 1000.0f));
        yaw = yaw > 0.6f ? -0.6f : yaw + 0.01f;
    }
}
BENCHMARK(BM_TraceAim);

}  // namespace
