#include "coop/pilot_codec.h"

#include "coop/internal/value_codec.h"
#include "coop/internal/wire_numbers.h"

namespace bastion::coop {
namespace {

using nlohmann::json;

template <typename T, std::size_t N>
json list(const T (&values)[N], std::size_t count = N) {
    json out = json::array();
    for (std::size_t i = 0; i < count; ++i) out.push_back(values[i]);
    return out;
}

json floats(const float* values, std::size_t count) {
    json out = json::array();
    for (std::size_t i = 0; i < count; ++i) out.push_back(static_cast<double>(values[i]));
    return out;
}

// Counters held signed but sent unsigned: a negative count never travels.
json counts(const int* values, std::size_t count) {
    json out = json::array();
    for (std::size_t i = 0; i < count; ++i) out.push_back(static_cast<unsigned>(values[i] < 0 ? 0 : values[i]));
    return out;
}

template <typename Read, typename T>
void readList(const json& wire, T* values, std::size_t count, Read read) {
    for (std::size_t i = 0; i < count; ++i) values[i] = read(wire.at(i));
}

template <typename T>
T optional(const json& wire, const char* key, T fallback, T (*read)(const json&)) {
    const auto found = wire.find(key);
    return found == wire.end() ? fallback : read(*found);
}

}  // namespace

json pilotWire(const Pilot& pilot) {
    json weapons = json::array();
    for (Weapon weapon : pilot.weapons) weapons.push_back(static_cast<int>(weapon));
    return json{{"position", pilot.position},
                {"homing_target", pilot.homing_target},
                {"gait", static_cast<double>(pilot.gait)},
                {"walk_speed", static_cast<double>(pilot.walk_speed)},
                {"angles", floats(pilot.angles, 4)},
                {"health", static_cast<double>(pilot.health)},
                {"ammo", counts(pilot.ammo, 6)},
                {"weapons", std::move(weapons)},
                {"arms", json::array({pilot.arms[0], pilot.arms[1]})},
                {"missile", pilot.missile},
                {"dead", pilot.dead},
                {"ejection", static_cast<double>(pilot.ejection)},
                {"status", pilot.status},
                {"slot", static_cast<unsigned>(pilot.slot < 0 ? 0 : pilot.slot)},
                {"shots", list(pilot.shots)},
                {"punches", counts(pilot.punches, 2)},
                {"flash", floats(pilot.flash, 2)},
                {"map_ping", floats(pilot.map_ping, 2)},
                {"ping_target", pilot.ping_target},
                {"ping_position", pilot.ping_position}};
}

void pilotRead(const json& wire, Pilot& pilot) {
    wire.at("position").get_to(pilot.position);
    pilot.homing_target = optional(wire, "homing_target", -1, &wireInteger<int>);
    pilot.gait = optional(wire, "gait", 0.0f, &wireFloat);
    pilot.walk_speed = optional(wire, "walk_speed", 0.0f, &wireFloat);
    readList(wire.at("angles"), pilot.angles, 4, wireFloat);
    pilot.health = wireFloat(wire.at("health"));
    readList(wire.at("ammo"), pilot.ammo, 6, wireCount);
    readList(wire.at("weapons"), pilot.weapons, 6, [](const json& v) { return static_cast<Weapon>(wireInteger<int>(v)); });
    const json& arms = wire.at("arms");
    for (std::size_t i = 0; i < 2; ++i) arms.at(i).get_to(pilot.arms[i]);
    wire.at("missile").get_to(pilot.missile);
    pilot.dead = wireBool(wire.at("dead"));
    pilot.ejection = wireFloat(wire.at("ejection"));
    pilot.status = wireInteger<int>(wire.at("status"));
    pilot.slot = wireCount(wire.at("slot"));
    readList(wire.at("shots"), pilot.shots, 6, wireInteger<u32>);
    readList(wire.at("punches"), pilot.punches, 2, wireCount);
    readList(wire.at("flash"), pilot.flash, 2, wireFloat);
    readList(wire.at("map_ping"), pilot.map_ping, 2, wireFloat);
    pilot.ping_target = wireInteger<int>(wire.at("ping_target"));
    wire.at("ping_position").get_to(pilot.ping_position);
}

}  // namespace bastion::coop
