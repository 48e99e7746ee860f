#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "coop/room_state.h"
#include "shell/shared/progression.h"
#include "world/world.h"

namespace bastion::coop {

inline constexpr std::size_t kRoomCapacity = 4;

// One member of a room.
struct Player {
    u32 id = 0;
    u32 slot = 0;  // 0..3, also the pilot's slot
    bool ready = false;
    Loadout loadout = {0, 1, 0, 0, 0, 0};
    std::string name = "Pilot";
    Pilot pilot;       // the member's walker, kept here between steps
    Input input;       // the latest input received
    float inputAge = 100.0f;  // seconds since it arrived
};

// What a member's walker gets when it has no usable input: no movement, no
// fire, head and focus set, both hands at rest.
Input neutralInput();

// True when every mount holds an available weapon that fits it, no weapon is
// on more mounts than its copy limit, and an auto grenade launcher on one hip
// leaves the other hip empty.
bool validLoadout(const Loadout& loadout, const Progression& progression);

// The walkers' starting places for the given slots near the mission start of
// `world`, on level ground clear of obstacles and of each other. Throws
// "Lobby is full", "Invalid player slot" or "No clear co-op spawn nearby -
// deployment cancelled".
std::vector<Vec3> spawnPositions(const World& world, std::span<const u32> slots);

// A co-op lobby of up to four members sharing the host's campaign progress,
// and the authoritative World of its mission. Refusals are std::runtime_error
// with the text the client shows.
class Room {
public:
    explicit Room(const std::filesystem::path& root);

    Player& player(u32 id);
    void add(u32 id);
    void remove(u32 id);
    void returnToSelection(const std::string& outcome);
    void command(u32 id, const nlohmann::json& body);
    nlohmann::json state() const;

    // Loads the selected mission afresh and deploys every member; a failure
    // leaves the room as it was.
    void start();
    // One server tick; dt is clamped to 0.1 s.
    void step(float dt);
    // The world's session pilots: its leading pilot for member i, the stored
    // pilots for the others.
    void links(std::size_t i);

    u64 id = 0;
    u64 revision = 0;
    u64 round = 0;
    u64 selection = 0;
    u32 host = 0;
    std::string code;
    std::string outcome;
    Progression progression;
    World world;
    u32 hard = 1;
    u32 phase = kSelecting;
    int mission = 0;
    std::vector<Player> players;
    std::filesystem::path root;

private:
    void clearReady();
    void ping(Player& member, const nlohmann::json& body);
    void stepDeployed(float dt);
    void stepOutro(float dt);
};

}  // namespace bastion::coop
