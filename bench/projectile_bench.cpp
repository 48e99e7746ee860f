#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "world/world.h"

namespace {

using bastion::Projectile;
using bastion::Vec3;
using bastion::WeaponEffect;

// A busy moment on the test range: 256 projectiles of every kind flying into
// and over the boxes, and 256 effects, a quarter of them still hurting.
void fill(bastion::World& world) {
    world.projectiles.clear();
    world.effects.clear();
    world.sounds.clear();
    for (int i = 0; i < 256; ++i) {
        const float f = static_cast<float>(i);
        Projectile p;
        p.position = {std::fmod(f * 7.0f, 140.0f) - 70.0f, 2.0f + std::fmod(f, 9.0f) * 2.0f, 30.0f - std::fmod(f, 5.0f)};
        p.velocity = {std::sin(f) * 10.0f, 0.0f, -100.0f};
        p.life = 4.0f;
        p.damage = 2.5f;
        p.mount = i % 4 == 3 ? -1 : i % 6;
        p.shooter = p.mount < 0 ? -1 : 0;
        p.kind = i % 4 == 1 ? bastion::kRocket : i % 8 == 2 ? bastion::kGrenade : bastion::kShot;
        p.weapon = p.kind == bastion::kRocket ? (i % 3 == 0 ? bastion::kHomingMissiles : bastion::kRocketLauncher)
                   : p.kind == bastion::kGrenade ? bastion::kGrenadeRack
                                                 : bastion::kGatling;
        if (p.weapon == bastion::kHomingMissiles) p.homingTarget = i % 35;
        if (p.mount < 0) p.velocity = -1.0f * p.velocity;  // enemy fire comes the other way
        world.projectiles.push_back(p);

        WeaponEffect e = bastion::makeEffect(i % 2 ? WeaponEffect::kDebris : WeaponEffect::kExplosion,
                                             {std::fmod(f * 13.0f, 140.0f) - 70.0f, 4.0f, -20.0f - std::fmod(f, 100.0f)},
                                             {1.0f, 8.0f, -1.0f}, 0, 5.0f);
        e.age = std::fmod(f * 0.01f, 0.9f);
        if (i % 4 == 0) {
            e.damageRadius = 5.0f;
            e.damageRate = 1.0f;  // mild, so the boxes outlast the run
        }
        world.effects.push_back(e);
    }
}

void stepUnderHeavyFire(benchmark::State& state, bool broadPhase) {
    bastion::World world;
    world.projectileBuffers.broadPhase = broadPhase;
    for (auto _ : state) {
        state.PauseTiming();
        fill(world);
        for (bastion::Target& target : world.targets) target.health = 1e9f;
        state.ResumeTiming();
        world.stepProjectiles(1.0f / 60.0f);
        benchmark::DoNotOptimize(world.projectiles.data());
    }
    state.SetItemsProcessed(state.iterations() * 256);
}

void BM_StepProjectiles(benchmark::State& state) { stepUnderHeavyFire(state, true); }
BENCHMARK(BM_StepProjectiles);

// The same step testing every pair, as the comparison tests do.
void BM_StepProjectilesPlainPath(benchmark::State& state) { stepUnderHeavyFire(state, false); }
BENCHMARK(BM_StepProjectilesPlainPath);

}  // namespace
