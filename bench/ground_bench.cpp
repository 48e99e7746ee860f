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

// The rolling terrain with a fixed spread of query points over it
// (xorshift, drawn before timing).
class Terrain : public benchmark::Fixture {
public:
    void SetUp(benchmark::State&) override {
        // The fixture is set up again for every run of a benchmark.
        world = World{};
        world.proceduralTerrain = true;
        bastion::testing_support::buildHeightField(world, kQuads, 25.0f, rolling);
        bastion::u32 random = 0x12345678u;
        const auto next = [&random] {
            random ^= random << 13;
            random ^= random >> 17;
            random ^= random << 5;
            return static_cast<float>(random % 100000u) / 100000.0f * 980.0f - 490.0f;
        };
        points.clear();
        for (size_t i = 0; i < kPoints; ++i) points.push_back({next(), 0.0f, next()});
    }
    Vec3 point(size_t i) const { return points[i % kPoints]; }

    static constexpr size_t kPoints = 1024;
    World world;
    std::vector<Vec3> points;
};

BENCHMARK_F(Terrain, SurfaceHeight)(benchmark::State& state) {
    size_t i = 0;
    for (auto _ : state) {
        const Vec3 p = point(i++);
        benchmark::DoNotOptimize(world.surfaceHeight(p.x, p.z));
    }
    state.counters["triangles"] = static_cast<double>(world.ground.size());
}

// A projectile's step: a 40-unit segment from 8 above the ground sloping down.
BENCHMARK_F(Terrain, GroundContact)(benchmark::State& state) {
    size_t i = 0;
    for (auto _ : state) {
        const Vec3 p = point(i++);
        const Vec3 from{p.x, world.surfaceHeight(p.x, p.z) + 8.0f, p.z};
        const Vec3 to{p.x + 28.0f, from.y - 12.0f, p.z + 28.0f};
        benchmark::DoNotOptimize(world.groundContact(from, to));
    }
}

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
