#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "coop/room_state.h"
#include "coop/transport.h"
#include "shell/shared/progression.h"
#include "voice/participant.h"
#include "world/world.h"

namespace bastion::coop {

// The game's half of the co-op lobby: connects to a lobby server, creates or
// joins a room, keeps the latest room state, sends the player's input and
// commands, and shows the room's world in the local World without stepping
// it. Called once per frame from the main thread; only `answerWhileHeldUp`
// may be called from another thread.
class Client {
public:
    // Throws what the endpoint parser, the transport or the player-name check
    // throws.
    Client(const std::string& server, bool host, const Progression& progression, const std::string& name,
           const std::string& code);
    // Says goodbye to the server when still connected.
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // One shell command on the lobby channel; "ready" gets the held
    // selection and "destroy" the current round.
    void send(nlohmann::json command);
    // Pumps the connection; input may be null.
    void update(float dt, const Input* input);
    int phase() const;
    // The held state decoded; a default RoomState until the first state.
    const RoomState& roomState() const { return roomState_; }
    // The own entry of the held state's "players", or null.
    const nlohmann::json* local() const;
    // Shows the latest snapshot in `world`, rebuilding it for a new round;
    // true when the World changed.
    bool apply(World& world, const std::filesystem::path& root, const ArmRig& rig);
    std::vector<vant::voice::Participant> participants() const;

    // For a thread beside the frame loop: when `update` has not run for
    // `heldUp`, reads what arrived and sends what is due, so that neither
    // end's ENet gives the other up during a long frame (a mission load, a
    // first draw on a busy machine). What it reads waits, in order, for the
    // next `update`. A frame held up past a minute is left to the time-outs,
    // as a hung game should be.
    void answerWhileHeldUp(std::chrono::milliseconds heldUp);

    bool connected = false;
    bool host = false;
    u32 id = 0;
    u64 room = 0;
    u64 round = 0;
    u64 revision = 0;
    std::string code;
    std::string message;  // the last problem to show; the shell reads and empties it
    u32 disconnectData = 0;  // what the server gave with its disconnection, for diagnostics
    nlohmann::json state;
    nlohmann::json voice;
    std::string server;
    std::string serverHost;

private:
    bool holdsState() const;
    void handle(const nlohmann::json& body);
    void drop(const std::string& status);
    void takeEvent(Event& event);

    // Guards the transport and the events read early between the frame loop
    // and the thread that answers while it is held up.
    std::mutex pumping_;
    std::vector<Event> readEarly_;
    std::chrono::steady_clock::time_point lastUpdate_ = std::chrono::steady_clock::now();

    Transport transport_{false, "0.0.0.0", 0};
    ENetPeer* peer_ = nullptr;
    nlohmann::json request_;
    RoomState roomState_;
    bool fire_[6] = {};
    bool punch_[2] = {};
    bool pinged_[2] = {};
    double silence_ = 0.0;
    double inputTimer_ = 0.0;
    u64 lastTick_ = 0;
    u64 appliedRound_ = 0;
    u64 appliedTick_ = 0;
};

}  // namespace bastion::coop
