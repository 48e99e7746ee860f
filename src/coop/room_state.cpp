#include "coop/room_state.h"

#include <cstdint>
#include <limits>

#include "coop/internal/wire_numbers.h"
#include "coop/pilot_codec.h"

namespace bastion::coop {
namespace {

using nlohmann::json;

// An integer of the room state, refused (as the JSON library refuses a wrong
// type) when it is not an integer or T cannot hold it: the server writes
// these as integers, so a fraction means the document is not the server's.
template <typename T>
T integer(const json& value) {
    constexpr auto high = static_cast<std::uint64_t>(std::numeric_limits<T>::max());
    constexpr auto low = static_cast<std::int64_t>(std::numeric_limits<T>::min());
    if (value.is_number_unsigned()) {
        if (value.get<std::uint64_t>() <= high) return value.get<T>();
    } else if (value.is_number_integer()) {
        const std::int64_t number = value.get<std::int64_t>();
        if (number >= low && (number < 0 || static_cast<std::uint64_t>(number) <= high)) return static_cast<T>(number);
    }
    throw json::type_error::create(302, "integer expected within range, got " + value.dump(), &value);
}

Loadout readLoadout(const json& wire) {
    Loadout loadout{};
    if (!wire.is_array() || wire.size() != loadout.size())
        throw json::type_error::create(302, "six weapon ids expected, got " + wire.dump(), &wire);
    for (std::size_t mount = 0; mount < loadout.size(); ++mount) {
        const auto weapon = integer<Weapon>(wire[mount]);
        if (weapon >= kWeaponCount) throw json::out_of_range::create(406, "weapon id out of range", &wire[mount]);
        loadout[mount] = weapon;
    }
    return loadout;
}

RoomMember readMember(const json& entry) {
    RoomMember member;
    member.id = integer<u32>(entry.at("id"));
    member.name = entry.at("name").get<std::string>();
    member.slot = integer<u32>(entry.at("slot"));
    member.ready = entry.at("ready").get<bool>();
    const auto loadout = entry.find("loadout");
    if (loadout != entry.end()) member.loadout = readLoadout(*loadout);
    pilotRead(entry.at("pilot"), member.pilot);
    return member;
}

}  // namespace

RoomState readRoomState(const json& document) {
    RoomState room;
    room.id = wireInteger<u64>(document.at("room"));
    room.code = document.at("code").get<std::string>();
    room.host = wireInteger<u32>(document.at("host"));
    room.revision = wireInteger<u64>(document.at("revision"));
    room.round = wireInteger<u64>(document.at("round"));
    room.selection = integer<u64>(document.at("selection"));
    room.mission = integer<int>(document.at("mission"));
    // Any int is kept, so that a phase this build does not know reads back
    // as the same number and matches none of the known ones.
    room.phase = static_cast<Phase>(static_cast<u32>(integer<int>(document.at("phase"))));
    const auto outcome = document.find("outcome");
    if (outcome != document.end()) room.outcome = outcome->get<std::string>();
    const auto campaign = document.find("campaign");
    if (campaign != document.end()) room.campaign = integer<int>(*campaign);
    room.completed = integer<u32>(document.at("completed"));
    room.difficulty = document.at("difficulty").get<std::string>() == "hard" ? 1 : 0;
    // Iterated as the JSON library iterates: null holds no members.
    for (const json& entry : document.at("players")) room.players.push_back(readMember(entry));
    return room;
}

}  // namespace bastion::coop
