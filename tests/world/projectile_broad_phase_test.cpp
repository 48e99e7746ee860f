#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/demo_content.h"
#include "world/world.h"

// The broad phase of the projectile step must change no result: every test
// here steps two equal Worlds, one testing every pair (the plain path), and
// compares their whole state bit for bit after each step.
namespace bastion {
namespace {

using testing_support::demoContent;

// The state a step can change, as bit patterns, each with its name when
// `named` (names are only wanted to report a difference).
struct StateWords {
    bool named = false;
    std::vector<std::string> names;
    std::vector<std::uint32_t> bits;

    void add(const std::string& name, float value) { add(name, std::bit_cast<std::uint32_t>(value)); }
    void add(const std::string& name, int value) { add(name, static_cast<std::uint32_t>(value)); }
    void add(const std::string& name, std::uint32_t value) {
        if (named) names.push_back(name);
        bits.push_back(value);
    }
    void add(const std::string& name, Vec3 v) {
        add(name + ".x", v.x);
        add(name + ".y", v.y);
        add(name + ".z", v.z);
    }
};

void addPilot(StateWords& words, const std::string& name, const Pilot& pilot) {
    words.add(name + " position", pilot.position);
    words.add(name + " health", pilot.health);
    words.add(name + " status", pilot.status);
    words.add(name + " dead", pilot.dead ? 1 : 0);
}

StateWords stateOf(const World& world, bool named) {
    StateWords words;
    words.named = named;
    addPilot(words, "pilot", world.pilot);
    words.add("kills", world.kills);
    words.add("mission flags", world.missionFlags);
    words.add("projectiles", static_cast<int>(world.projectiles.size()));
    for (std::size_t i = 0; i < world.projectiles.size(); ++i) {
        const Projectile& p = world.projectiles[i];
        const std::string name = words.named ? "projectile " + std::to_string(i) : std::string();
        words.add(name + " position", p.position);
        words.add(name + " velocity", p.velocity);
        words.add(name + " life", p.life);
        words.add(name + " hull", p.hull);
        words.add(name + " intercepted", p.intercepted ? 1 : 0);
        words.add(name + " homing target", p.homingTarget);
    }
    words.add("targets", static_cast<int>(world.targets.size()));
    for (std::size_t i = 0; i < world.targets.size(); ++i) {
        const Target& t = world.targets[i];
        const std::string name = words.named ? "target " + std::to_string(i) : std::string();
        words.add(name + " position", t.position);
        words.add(name + " health", t.health);
        words.add(name + " active", t.active ? 1 : 0);
        words.add(name + " destroyed", t.destroyed ? 1 : 0);
        words.add(name + " hidden", t.hidden ? 1 : 0);
        words.add(name + " state", t.state);
    }
    words.add("effects", static_cast<int>(world.effects.size()));
    for (std::size_t i = 0; i < world.effects.size(); ++i) {
        const WeaponEffect& e = world.effects[i];
        const std::string name = words.named ? "effect " + std::to_string(i) : std::string();
        words.add(name + " kind", static_cast<int>(e.kind));
        words.add(name + " position", e.position);
        words.add(name + " direction", e.direction);
        words.add(name + " age", e.age);
        words.add(name + " size", e.size);
        words.add(name + " damage radius", e.damageRadius);
        words.add(name + " damage rate", e.damageRate);
    }
    words.add("sounds", static_cast<int>(world.sounds.size()));
    for (std::size_t i = 0; i < world.sounds.size(); ++i) {
        const SoundEvent& s = world.sounds[i];
        const std::string name = words.named ? "sound " + std::to_string(i) : std::string();
        words.add(name + " kind", s.kind);
        words.add(name + " weapon", s.weapon);
        words.add(name + " position", s.position);
    }
    return words;
}

// Empty when the two states are bit-identical, else the first difference.
std::string firstDifference(const World& plain, const World& fast) {
    if (stateOf(plain, false).bits == stateOf(fast, false).bits) return "";
    const StateWords a = stateOf(plain, true);
    const StateWords b = stateOf(fast, true);
    for (std::size_t i = 0; i < std::min(a.bits.size(), b.bits.size()); ++i) {
        if (a.names[i] != b.names[i] || a.bits[i] != b.bits[i]) {
            return a.names[i] + " (plain) vs " + b.names[i] + " (broad phase)";
        }
    }
    return a.bits.size() == b.bits.size() ? "" : "state sizes differ";
}

// A volley of every kind of projectile from both sides across the test
// range, varying with the step; some graze box edges and corners.
void addVolley(World& world, int step) {
    for (int i = 0; i < 24; ++i) {
        const float f = static_cast<float>(step * 24 + i);
        Projectile p;
        p.position = {std::fmod(f * 7.3f, 150.0f) - 75.0f, 0.5f + std::fmod(f * 1.7f, 20.0f),
                      40.0f - std::fmod(f * 3.1f, 12.0f)};
        p.velocity = {std::sin(f) * 25.0f, std::cos(f * 0.7f) * 4.0f, -140.0f};
        p.life = 2.0f + std::fmod(f, 3.0f) * 0.5f;
        p.damage = 9.0f;
        p.mount = i % 4 == 3 ? -1 : i % 6;
        p.shooter = p.mount < 0 ? -1 : 0;
        p.owner = p.mount < 0 ? i % 35 : -1;
        p.kind = i % 4 == 1 ? kRocket : i % 8 == 2 ? kGrenade : kShot;
        p.weapon = p.kind == kRocket ? (i % 3 == 0 ? kHomingMissiles : kRocketLauncher)
                   : p.kind == kGrenade ? kGrenadeRack
                                        : (i % 5 == 0 ? kRail : kGatling);
        p.radius = p.kind == kShot ? 0.0f : 5.0f;
        if (p.weapon == kHomingMissiles) p.homingTarget = (step + i) % 35;
        if (p.mount < 0) {
            // Enemy fire comes the other way, at the pilot's end of the range.
            p.position.z = -120.0f + std::fmod(f * 2.3f, 20.0f);
            p.velocity = {-p.velocity.x * 0.2f, p.velocity.y, 150.0f};
        }
        world.projectiles.push_back(p);
    }
    // Shots straight along a box face and through a corner: ties and grazes.
    Projectile edge;
    edge.position = {5.0f, 3.0f, 30.0f};
    edge.velocity = {0.0f, 0.0f, -150.0f};
    edge.life = 1.0f;
    edge.damage = 1.0f;
    edge.mount = 0;
    edge.shooter = 0;
    edge.weapon = kGatling;
    world.projectiles.push_back(edge);
    edge.position = {-5.0f, 6.0f, 30.0f};
    edge.velocity = {0.0f, -0.5f, -150.0f};
    world.projectiles.push_back(edge);
}

TEST(ProjectileBroadPhase, HeavyFireOnTheRangeMatchesThePlainPath) {
    World plain;
    plain.projectileBuffers.broadPhase = false;
    World fast;
    ASSERT_TRUE(fast.projectileBuffers.broadPhase);
    const float dt = 1.0f / 60.0f;
    std::size_t most = 0;
    for (int step = 0; step < 150; ++step) {
        if (step % 3 == 0 && step < 120) {
            addVolley(plain, step);
            addVolley(fast, step);
        }
        plain.stepProjectiles(dt);
        fast.stepProjectiles(dt);
        most = std::max(most, fast.projectiles.size());
        ASSERT_EQ(firstDifference(plain, fast), "") << "step " << step;
        plain.sounds.clear();
        fast.sounds.clear();
    }
    EXPECT_GT(most, 150u) << "the fire was heavy";
    EXPECT_GT(fast.kills, 5) << "boxes were destroyed along the way";
}

// The pilot fires every mount while sweeping its aim across the mission,
// and never falls, so the fire goes on.
Input scriptedFire(int frame) {
    Input input;
    for (bool& fire : input.fire) fire = true;
    input.axes[0] = std::sin(static_cast<float>(frame) * 0.05f) * 0.6f;
    input.axes[3] = std::sin(static_cast<float>(frame) * 0.031f);
    input.axes[4] = -0.1f + 0.15f * std::sin(static_cast<float>(frame) * 0.07f);
    return input;
}

World loaded(int campaign, int mission, bool broadPhase) {
    World world;
    world.projectileBuffers.broadPhase = broadPhase;
    world.configure({1, 1, 2, 2, 5, 8}, ArmRig{});
    world.loadMission(demoContent(), mission, campaign, true);
    for (Target& t : world.targets) {
        if (t.unitType >= 0 && !t.derived) t.active = true;
    }
    return world;
}

TEST(ProjectileBroadPhase, EveryDemoMissionUnderScriptedFireMatchesThePlainPath) {
    const float dt = 1.0f / 60.0f;
    for (int campaign = 0; campaign < 2; ++campaign) {
        for (int mission = 0; mission < (campaign == 0 ? 16 : 20); ++mission) {
            SCOPED_TRACE((campaign == 0 ? "SB1 mission " : "SB2 mission ") + std::to_string(mission));
            World plain = loaded(campaign, mission, false);
            World fast = loaded(campaign, mission, true);
            std::size_t fired = 0;
            for (int frame = 0; frame < 180; ++frame) {
                const Input input = scriptedFire(frame);
                for (World* world : {&plain, &fast}) {
                    world->pilot.health = 100.0f;
                    world->pilot.status = kStatusActive;
                    world->step(input, dt, true);
                }
                fired = std::max(fired, fast.projectiles.size());
                ASSERT_EQ(firstDifference(plain, fast), "") << "frame " << frame;
                plain.sounds.clear();
                fast.sounds.clear();
            }
            EXPECT_GT(fired, 0u);
        }
    }
}

}  // namespace
}  // namespace bastion
