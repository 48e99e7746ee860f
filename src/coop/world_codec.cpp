#include "coop/internal/world_codec.h"

#include <stdexcept>
#include <vector>

#include "coop/internal/value_codec.h"
#include "coop/internal/wire_numbers.h"

namespace bastion::coop {
namespace {

using nlohmann::json;

constexpr std::size_t kRequiredTupleSize = 12;

// The moving state of one target, in tuple order. Positions 7 and 8 are the
// body's pitch and roll, 9 the heading a reset returns to the home heading,
// 10 the state timer a reset zeroes, 11 the alert countdown each enemy step
// lowers, 12 the walk cycle and 13 the velocity.
struct TargetMotion {
    Vec3 position;
    Vec3 extent;
    Vec3 home;
    float homeYaw = 0.0f;
    float health = 0.0f;
    bool active = false;
    bool hidden = false;
    float pitch = 0.0f;
    float roll = 0.0f;
    float heading = 0.0f;
    float stateTimer = 0.0f;
    float alertTimer = 0.0f;
    float trackPhase = 0.0f;
    Vec3 velocity;
};

double wide(float value) { return static_cast<double>(value); }

json tuple(const Target& t) {
    return json::array({t.position, t.extent, t.home, wide(t.homeYaw), wide(t.health), t.active, t.hidden,
                        wide(t.pitch), wide(t.roll), wide(t.turretYaw), wide(t.stateTimer), wide(t.alertTimer),
                        wide(t.trackPhase), t.velocity});
}

TargetMotion readTuple(const json& wire) {
    TargetMotion m;
    wire.at(0).get_to(m.position);
    wire.at(1).get_to(m.extent);
    wire.at(2).get_to(m.home);
    m.homeYaw = wireFloat(wire.at(3));
    m.health = wireFloat(wire.at(4));
    m.active = wireBool(wire.at(5));
    m.hidden = wireBool(wire.at(6));
    m.pitch = wireFloat(wire.at(7));
    m.roll = wireFloat(wire.at(8));
    m.heading = wireFloat(wire.at(9));
    m.stateTimer = wireFloat(wire.at(10));
    m.alertTimer = wireFloat(wire.at(11));
    if (wire.size() > kRequiredTupleSize) m.trackPhase = wireFloat(wire.at(12));
    if (wire.size() > kRequiredTupleSize + 1) wire.at(13).get_to(m.velocity);
    return m;
}

void store(const TargetMotion& m, Target& t) {
    t.position = m.position;
    t.extent = m.extent;
    t.home = m.home;
    t.homeYaw = m.homeYaw;
    t.health = m.health;
    t.active = m.active;
    t.hidden = m.hidden;
    t.pitch = m.pitch;
    t.roll = m.roll;
    t.turretYaw = m.heading;
    t.stateTimer = m.stateTimer;
    t.alertTimer = m.alertTimer;
    t.trackPhase = m.trackPhase;
    t.velocity = m.velocity;
}

const json& array(const json& wire, const char* key) {
    const json& value = wire.at(key);
    if (!value.is_array())
        throw json::type_error::create(302, std::string("type must be array, but is ") + value.type_name(), &value);
    return value;
}

template <typename T>
std::vector<T> list(const json& wire, const char* key) {
    return array(wire, key).get<std::vector<T>>();
}

}  // namespace

json worldWire(const World& world) {
    json targets = json::array();
    for (const Target& target : world.targets) targets.push_back(tuple(target));
    return json{{"targets", std::move(targets)},
                {"projectiles", world.projectiles},
                {"effects", world.effects},
                {"pickups", world.pickups},
                {"sounds", world.sounds},
                {"elapsed", wide(world.missionTime)},
                {"flags", world.missionFlags},
                {"counters", json::array({world.counters[0], world.counters[1], world.counters[2]})},
                {"destroyed", static_cast<unsigned>(world.kills < 0 ? 0 : world.kills)}};
}

void worldRead(const json& wire, World& world) {
    const json& targets = array(wire, "targets");
    if (targets.size() != world.targets.size()) throw std::runtime_error("Mission data does not match server");
    std::vector<TargetMotion> motions;
    motions.reserve(targets.size());
    for (const json& entry : targets) motions.push_back(readTuple(entry));
    auto projectiles = list<Projectile>(wire, "projectiles");
    auto effects = list<WeaponEffect>(wire, "effects");
    auto pickups = list<Pickup>(wire, "pickups");
    auto sounds = list<SoundEvent>(wire, "sounds");
    const float elapsed = wireFloat(wire.at("elapsed"));
    const u32 flags = wireInteger<u32>(wire.at("flags"));
    const json& counterList = wire.at("counters");
    int counters[3];
    for (std::size_t i = 0; i < 3; ++i) counters[i] = wireInteger<int>(counterList.at(i));
    const int destroyed = wireCount(wire.at("destroyed"));

    for (std::size_t i = 0; i < motions.size(); ++i) store(motions[i], world.targets[i]);
    world.projectiles = std::move(projectiles);
    world.effects = std::move(effects);
    world.pickups = std::move(pickups);
    world.sounds.insert(world.sounds.end(), sounds.begin(), sounds.end());
    world.missionTime = elapsed;
    world.missionFlags = flags;
    for (int i = 0; i < 3; ++i) world.counters[i] = counters[i];
    world.kills = destroyed;

    // A slot outside the room's four never shows a pickup as collected.
    const int slot = world.pilot.slot;
    for (Pickup& pickup : world.pickups)
        pickup.collected = slot >= 0 && slot < 4 && ((pickup.collectedBy >> static_cast<u32>(slot)) & 1u) != 0;
}

}  // namespace bastion::coop
