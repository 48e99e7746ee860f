#include "coop/client.h"

#include "coop/internal/input_codec.h"
#include "coop/internal/wire_numbers.h"
#include "coop/internal/world_codec.h"
#include "coop/pilot_codec.h"
#include "coop/room.h"
#include "net/endpoint.h"
#include "shell/shared/player_name.h"

namespace bastion::coop {
namespace {

using nlohmann::json;

constexpr double kSilenceLimit = 10.0;
constexpr double kInputInterval = static_cast<double>(1.0f / 30.0f);
// How long a held-up frame loop is answered for, and how many events may
// wait for it meanwhile (about a minute of snapshots).
constexpr std::chrono::seconds kLongestHoldUp{60};
constexpr std::size_t kEarlyEventLimit = 2048;

bool empty(const json& value) { return value.is_null() || (value.is_structured() && value.empty()); }

}  // namespace

Client::Client(const std::string& serverText, bool hosting, const Progression& progression, const std::string& name,
               const std::string& joinCode)
    : host(hosting), server(serverText) {
    peer_ = transport_.connect(serverText);
    serverHost = vant::net::parseEndpoint(serverText, kDefaultLobbyPort).host;
    request_ = {{"op", hosting ? "create" : "join"},
                {"name", validatePlayerName(name)},
                {"version", kProtocolMagic},
                {"campaign", progression.rules.campaign},
                {"completed", progression.completed},
                {"code", joinCode}};
}

Client::~Client() {
    const std::lock_guard lock(pumping_);
    if (peer_ != nullptr && peer_->state == ENET_PEER_STATE_CONNECTED) {
        transport_.send(peer_, {{"op", "leave"}}, kLobbyChannel);
        transport_.flush();
        enet_peer_disconnect_now(peer_, kLeft);
    }
}

bool Client::holdsState() const { return !empty(state); }

void Client::send(json command) {
    if (!connected) return;
    const std::lock_guard lock(pumping_);
    const std::string op = command.is_object() ? command.value("op", "") : "";
    if (op == "ready" && holdsState()) command["selection"] = roomState_.selection;
    if (op == "destroy") command["round"] = round;
    transport_.send(peer_, command, kLobbyChannel);
    transport_.flush();
}

void Client::drop(const std::string& status) {
    message = status;
    connected = false;
    if (peer_ != nullptr) enet_peer_disconnect_now(peer_, kLeft);
    peer_ = nullptr;
}

void Client::handle(const json& body) {
    silence_ = 0.0;
    const std::string type = body.value("type", "");
    if (type == "welcome") {
        id = wireInteger<u32>(body.at("id"));
        voice = body.at("voice");
    } else if (type == "error") {
        message = body.value("error", "Lobby request failed");
    } else if (type == "closed") {
        drop(body.value("error", "Lobby closed"));
    } else if (type == "state") {
        const u64 r = wireInteger<u64>(body.at("revision"));
        const auto tickAt = body.find("tick");
        const u64 t = tickAt == body.end() ? 0 : wireInteger<u64>(*tickAt);
        if (r < revision) return;
        if (t != 0) {
            if (t <= lastTick_) return;
            lastTick_ = t;
        } else if (!(r > revision || (r == revision && !holdsState()))) {
            return;
        }
        RoomState decoded = readRoomState(body);
        state = body;
        revision = r;
        room = decoded.id;
        round = decoded.round;
        code = decoded.code;
        host = decoded.host == id;
        roomState_ = std::move(decoded);
    }
}

void Client::takeEvent(Event& event) {
    if (event.kind == Event::kDisconnect) {
        connected = false;
        peer_ = nullptr;
        message = "Disconnected from lobby server";
        disconnectData = event.data;
    } else if (event.kind == Event::kConnect) {
        connected = true;
        silence_ = 0.0;
        transport_.send(peer_, request_, kLobbyChannel);
    } else {
        handle(event.message);
    }
}

void Client::answerWhileHeldUp(std::chrono::milliseconds heldUp) {
    const std::lock_guard lock(pumping_);
    const auto since = std::chrono::steady_clock::now() - lastUpdate_;
    if (since < heldUp || since > kLongestHoldUp || readEarly_.size() >= kEarlyEventLimit) return;
    // Events are only kept: taking them (the create or join request on a
    // connect, the room state) is the frame loop's.
    for (Event& event : transport_.poll()) readEarly_.push_back(std::move(event));
    transport_.flush();
}

void Client::update(float dt, const Input* input) {
    silence_ += dt;
    inputTimer_ += dt;
    const bool focused = input != nullptr && input->focused;
    for (int i = 0; i < 6; ++i) fire_[i] = focused && (fire_[i] || input->fire[i]);
    for (int i = 0; i < 2; ++i) punch_[i] = focused && (punch_[i] || input->punch[i]);

    const std::lock_guard lock(pumping_);
    lastUpdate_ = std::chrono::steady_clock::now();
    std::vector<Event> events = std::move(readEarly_);
    readEarly_.clear();
    for (Event& event : events) takeEvent(event);
    for (Event& event : transport_.poll()) takeEvent(event);

    if (peer_ != nullptr && silence_ > kSilenceLimit) drop("Lobby server timed out");

    const bool deployed = holdsState() && roomState_.phase == kDeployed;
    if (input != nullptr && connected && inputTimer_ >= kInputInterval && deployed) {
        inputTimer_ = 0.0;
        Input sent = *input;
        for (int i = 0; i < 6; ++i) sent.fire[i] = fire_[i];
        for (int i = 0; i < 2; ++i) sent.punch[i] = punch_[i];
        std::fill(std::begin(fire_), std::end(fire_), false);
        std::fill(std::begin(punch_), std::end(punch_), false);
        transport_.send(peer_, {{"op", "input"}, {"round", round}, {"input", inputWire(sent)}}, kInputChannel);
    }
    for (int b = 0; b < 2; ++b) {
        const bool pressed = input != nullptr && input->focused && input->head && input->ping[b];
        if (pressed && !pinged_[b] && connected && deployed)
            transport_.send(peer_,
                            {{"op", "ping"}, {"round", round}, {"kind", static_cast<unsigned>(b)}, {"input", inputWire(*input)}},
                            kLobbyChannel);
        pinged_[b] = pressed;
    }
    transport_.flush();
}

int Client::phase() const { return holdsState() ? static_cast<int>(roomState_.phase) : 0; }

const json* Client::local() const {
    if (!holdsState()) return nullptr;
    // The decoded members are the document's, in its order.
    auto member = roomState_.players.begin();
    for (const json& entry : state.at("players"))
        if ((member++)->id == id) return &entry;
    return nullptr;
}

bool Client::apply(World& world, const std::filesystem::path& root, const ArmRig& rig) {
    const json* own = local();
    if (round == 0 || !state.is_object() || !state.contains("world") || own == nullptr) return false;
    const u64 t = wireInteger<u64>(state.at("tick"));
    if (appliedRound_ != round) {
        world = World();
        world.coop = true;
        world.difficulty = roomState_.difficulty;
        world.loadMission(root, roomState_.mission, roomState_.campaign, true);
        world.pilot.rig = rig;
        appliedRound_ = round;
    } else if (t <= appliedTick_) {
        return false;
    }
    world.others.clear();
    for (const RoomMember& member : roomState_.players) world.others.push_back(member.pilot);
    pilotRead(own->at("pilot"), world.pilot);
    worldRead(state.at("world"), world);
    appliedTick_ = t;
    return true;
}

std::vector<vant::voice::Participant> Client::participants() const {
    std::vector<vant::voice::Participant> list;
    if (!holdsState()) return list;
    for (const RoomMember& member : roomState_.players) list.push_back({member.id, member.pilot.position, true, room});
    return list;
}

}  // namespace bastion::coop
