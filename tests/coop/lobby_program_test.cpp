// The lobby server program on loopback, driven by scripted clients: each
// test starts its own server on a free port and plays one conversation.
#include <algorithm>
#include <functional>
#include <memory>
#include <regex>

#include <gtest/gtest.h>

#include "coop/enet_peers.h"
#include "coop/internal/input_codec.h"
#include "coop/lobby_process.h"
#include "coop/transport.h"
#include "support/demo_content.h"
#include "voice/transport.h"

namespace bastion::coop {
namespace {

using nlohmann::json;
using testing::LobbyProcess;
using testing::pumpUntil;
using testing::RawClient;

std::vector<std::string> lobbyArguments(const std::vector<std::string>& extra) {
    std::vector<std::string> args = {"--bind", "127.0.0.1", "--port", "0", "--retail",
                                     testing_support::demoContent().string()};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

// A running lobby server on 127.0.0.1 with the demo content. Every client of
// these tests connects from 127.0.0.1, so the limits per address apply to
// them all.
struct Lobby {
    explicit Lobby(const std::vector<std::string>& extra = {}) : process(lobbyArguments(extra)) {
        const auto first = process.line();
        if (!first) return;
        banner = *first;
        std::smatch match;
        if (std::regex_search(banner, match, std::regex("port (\\d+), voice port (\\d+)"))) {
            port = static_cast<std::uint16_t>(std::stoi(match[1]));
            voicePort = static_cast<std::uint16_t>(std::stoi(match[2]));
        }
    }
    LobbyProcess process;
    std::string banner;
    std::uint16_t port = 0;
    std::uint16_t voicePort = 0;
};

// One scripted player.
struct Player {
    explicit Player(std::uint16_t port) : peer(transport.connect("127.0.0.1:" + std::to_string(port))) {
        pumpUntil([&] { pump(); }, [&] { return connected; });
    }
    void pump() {
        for (Event& e : transport.poll()) {
            if (e.kind == Event::kConnect) connected = true;
            if (e.kind == Event::kDisconnect) disconnected = true;
            if (e.kind == Event::kMessage) {
                e.message["channel_seen"] = e.channel;
                inbox.push_back(std::move(e.message));
            }
        }
    }
    void send(const json& message, std::uint8_t channel = kLobbyChannel) {
        transport.send(peer, message, channel);
        transport.flush();
    }
    // The next message on channel 0 of `type`, skipping others; null on time-out.
    json expect(const std::string& type) {
        json found;
        pumpUntil([&] { pump(); },
                  [&] {
                      for (auto it = inbox.begin(); it != inbox.end(); ++it) {
                          if ((*it)["channel_seen"] == 0 && (*it).value("type", "") == type) {
                              found = std::move(*it);
                              inbox.erase(inbox.begin(), it + 1);
                              return true;
                          }
                      }
                      return false;
                  });
        return found;
    }
    std::string error(const json& message, std::uint8_t channel = kLobbyChannel) {
        send(message, channel);
        const json reply = expect("error");
        return reply.is_null() ? "no reply" : reply["error"].get<std::string>();
    }
    json create(const std::string& name = "Ace") {
        send({{"op", "create"}, {"name", name}, {"version", kProtocolMagic}, {"completed", 0}, {"code", ""}});
        welcome = expect("welcome");
        return expect("state");
    }
    json join(const std::string& code, const std::string& name = "Bea") {
        send({{"op", "join"}, {"name", name}, {"version", kProtocolMagic}, {"code", code}, {"completed", 0}});
        welcome = expect("welcome");
        return expect("state");
    }

    Transport transport{false, "0.0.0.0", 0};
    ENetPeer* peer;
    bool connected = false;
    bool disconnected = false;
    std::vector<json> inbox;
    json welcome;
};

json createBody(json completed, json extra = json::object()) {
    json body = {{"op", "create"}, {"version", kProtocolMagic}, {"completed", std::move(completed)}};
    body.update(extra);
    return body;
}

TEST(LobbyProgram, WelcomeAndFirstState) {
    Lobby lobby;
    ASSERT_NE(lobby.port, 0) << lobby.banner;
    EXPECT_EQ(lobby.voicePort, lobby.port + 1);
    Player host(lobby.port);
    const json state = host.create();
    EXPECT_EQ(host.welcome["id"], 1);
    EXPECT_TRUE(host.welcome["voice"].is_object());
    const std::string code = state["code"];
    EXPECT_TRUE(std::regex_match(code, std::regex("[A-HJ-NP-Z2-9]{6}"))) << code;
    json expected = {{"type", "state"},   {"room", 1},       {"code", code},        {"host", 1},
                     {"revision", 1},     {"round", 0},      {"selection", 0},      {"mission", 0},
                     {"phase", 0},        {"outcome", ""},   {"campaign", 0},       {"completed", 0},
                     {"difficulty", "hard"}, {"channel_seen", 0}};
    json players = state["players"];
    json withoutPlayers = state;
    withoutPlayers.erase("players");
    EXPECT_EQ(withoutPlayers, expected);
    ASSERT_EQ(players.size(), 1u);
    EXPECT_EQ(players[0]["id"], 1);
    EXPECT_EQ(players[0]["name"], "Ace");
    EXPECT_EQ(players[0]["slot"], 0);
    EXPECT_EQ(players[0]["ready"], false);
    EXPECT_EQ(players[0]["loadout"], json({0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(players[0]["pilot"].size(), 20u);

    Player guest(lobby.port);
    const json joined = guest.join(code);
    EXPECT_EQ(guest.welcome["id"], 2);
    EXPECT_EQ(joined["players"].size(), 2u);
    EXPECT_EQ(host.expect("state")["players"].size(), 2u);

    // The welcome's voice credentials admit the player to the relay.
    vant::voice::Transport voice;
    voice.connect("127.0.0.1", host.welcome["voice"]);
    EXPECT_TRUE(pumpUntil([&] { voice.poll(1); host.pump(); }, [&] { return voice.ready(); }));
}

TEST(LobbyProgram, ErrorTexts) {
    Lobby lobby;
    Player player(lobby.port);
    const struct {
        const char* what;
        json body;
        std::uint8_t channel;
        const char* error;
    } before[] = {
        {"select outside a room", {{"op", "select"}, {"mission", 0}}, 0, "Join a lobby first"},
        {"create on channel 1", createBody(0), 1, "Already in a lobby"},
        {"wrong version", createBody(0, {{"version", 5}}), 0, "Client version mismatch"},
        {"blank name", createBody(0, {{"name", "  "}}), 0, "Player name cannot be blank"},
        {"long name", createBody(0, {{"name", std::string(21, 'a')}}), 0, "Player name must be at most 20 characters"},
        {"negative campaign mask", createBody(-1), 0, "Invalid host campaign"},
        {"mask past the campaign", createBody(1 << 16), 0, "Invalid host campaign"},
        {"unreachable mission", createBody(1 << 15), 0, "Invalid host campaign"},
        {"unknown code", {{"op", "join"}, {"version", kProtocolMagic}, {"code", "ZZZZZZ"}}, 0, "Lobby code not found"},
    };
    for (const auto& c : before) EXPECT_EQ(player.error(c.body, c.channel), c.error) << c.what;
    EXPECT_NE(player.error({{"mission", 0}}), "no reply") << "a message without an op";

    const std::string code = player.create()["code"];
    const struct {
        const char* what;
        json body;
        std::uint8_t channel;
        const char* error;
    } after[] = {
        {"second create", createBody(0), 0, "Already in a lobby"},
        {"join while in a room", {{"op", "join"}, {"version", kProtocolMagic}, {"code", code}}, 0, "Already in a lobby"},
        {"select on channel 2", {{"op", "select"}, {"mission", 0}}, 2, "Invalid command channel"},
        {"input on channel 0", {{"op", "input"}, {"round", 0}, {"input", inputWire(Input{})}}, 0, "Invalid command channel"},
        {"locked mission", {{"op", "select"}, {"mission", 12}}, 0, "Mission locked by host campaign"},
        {"unknown op", {{"op", "dance"}}, 0, "Unknown lobby command"},
    };
    for (const auto& c : after) EXPECT_EQ(player.error(c.body, c.channel), c.error) << c.what;
    EXPECT_FALSE(player.disconnected);
}

TEST(LobbyProgram, FloodingIsRefusedThenDropped) {
    Lobby lobby;
    RawClient flood(lobby.port);
    ASSERT_TRUE(pumpUntil([&] { flood.service(); }, [&] { return flood.connected; }));
    const auto bytes = json::to_cbor({{"op", "select"}, {"mission", 0}});
    const auto rateErrors = [&] {
        int rate = 0;
        for (const auto& packet : flood.received)
            rate += json::from_cbor(packet).value("error", "") == "Message rate exceeded" ? 1 : 0;
        return rate;
    };
    // 200 messages overdraw the budget of 180: refused, still connected.
    for (int i = 0; i < 200; ++i) flood.sendBytes(bytes);
    ASSERT_TRUE(pumpUntil([&] { flood.service(); }, [&] { return rateErrors() >= 1; }, std::chrono::seconds(10)));
    EXPECT_FALSE(flood.disconnected);
    // 200 more take it below -90: dropped.
    for (int i = 0; i < 200; ++i) flood.sendBytes(bytes);
    ASSERT_TRUE(pumpUntil([&] { flood.service(); }, [&] { return flood.disconnected; }, std::chrono::seconds(10)));
    EXPECT_EQ(flood.disconnectData, kDropped);
}

TEST(LobbyProgram, IdlePeersOutsideARoomAreDropped) {
    Lobby lobby;
    RawClient idle(lobby.port);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(pumpUntil([&] { idle.service(); }, [&] { return idle.disconnected; }, std::chrono::seconds(25)));
    EXPECT_EQ(idle.disconnectData, kDropped);
    EXPECT_GT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
}

TEST(LobbyProgram, ThirtyTwoRoomsAtMost) {
    Lobby lobby({"--peers-per-address", "33", "--rooms-per-address", "32"});
    std::vector<std::unique_ptr<Player>> hosts;
    std::string firstCode;
    for (int i = 0; i < 32; ++i) {
        hosts.push_back(std::make_unique<Player>(lobby.port));
        const json state = hosts.back()->create();
        ASSERT_EQ(state["room"], i + 1);
        if (i == 0) firstCode = state["code"];
    }
    Player late(lobby.port);
    EXPECT_EQ(late.error(createBody(0)), "Lobby server full");
    EXPECT_EQ(late.join(firstCode)["players"].size(), 2u) << "joining still works";
}

// True when a connection to the lobby times out without ever connecting;
// `others` keeps the connected players answering meanwhile.
bool connectionRefused(std::uint16_t port, const std::function<void()>& others) {
    Transport transport(false, "0.0.0.0", 0);
    transport.connect("127.0.0.1:" + std::to_string(port));
    bool connected = false, disconnected = false;
    pumpUntil(
        [&] {
            others();
            for (const Event& e : transport.poll()) {
                connected = connected || e.kind == Event::kConnect;
                disconnected = disconnected || e.kind == Event::kDisconnect;
            }
        },
        [&] { return connected || disconnected; });
    return disconnected && !connected;
}

TEST(LobbyProgram, OneAddressHoldsSixteenPeersAndHostsFourRooms) {
    Lobby lobby;
    std::vector<std::unique_ptr<Player>> players;
    for (int i = 0; i < 16; ++i) {
        players.push_back(std::make_unique<Player>(lobby.port));
        ASSERT_TRUE(players.back()->connected) << "peer " << i + 1;
    }
    // Four rooms of four, so that no one is dropped for idling meanwhile.
    std::vector<std::string> codes;
    for (int room = 0; room < 4; ++room) codes.push_back(players[room]->create()["code"]);
    EXPECT_EQ(players[4]->error(createBody(0)), "Too many lobbies hosted from this address");
    for (std::size_t i = 4; i < players.size(); ++i) EXPECT_EQ(players[i]->join(codes[i % 4])["code"], codes[i % 4]);

    EXPECT_TRUE(connectionRefused(lobby.port, [&] {
        for (auto& player : players) player->pump();
    })) << "the 17th peer from one address";

    // The limits count what the address holds now: a peer that left frees
    // its place, a room whose members all left frees its own.
    const auto leave = [](Player& player) {
        player.send({{"op", "leave"}});
        return pumpUntil([&] { player.pump(); }, [&] { return player.disconnected; });
    };
    ASSERT_TRUE(leave(*players[0]));
    Player next(lobby.port);
    EXPECT_TRUE(next.connected) << "a peer in the place of one that left";
    EXPECT_EQ(next.error(createBody(0)), "Too many lobbies hosted from this address")
        << "the room went on with a host from the same address";
    for (std::size_t i = 4; i < players.size(); i += 4) ASSERT_TRUE(leave(*players[i]));
    EXPECT_EQ(next.create()["players"].size(), 1u) << "a room in the place of the one that closed";
}

TEST(LobbyProgram, FourPlayersFromOneAddressPlayTogether) {
    Lobby lobby;
    std::vector<std::unique_ptr<Player>> players;
    for (int i = 0; i < 4; ++i) players.push_back(std::make_unique<Player>(lobby.port));
    const std::string code = players[0]->create()["code"];
    for (int i = 1; i < 4; ++i) players[i]->join(code, "Wing" + std::to_string(i));
    // Every player is serviced while any is waited for: a player left
    // unserviced on a loaded machine would be timed out by the server.
    const auto pumpAll = [&] {
        for (auto& player : players) player->pump();
    };
    players[0]->send({{"op", "select"}, {"mission", 2}});
    json briefing;
    ASSERT_TRUE(pumpUntil(pumpAll, [&] {
        briefing = players[0]->expect("state");
        return briefing.is_null() || briefing["phase"] == 1;
    }));
    ASSERT_EQ(briefing["phase"], 1);
    for (auto& player : players)
        player->send({{"op", "ready"}, {"selection", briefing["selection"]}, {"loadout", {0, 1, 0, 0, 0, 0}}, {"ready", true}});
    for (auto& player : players) {
        json snapshot;
        ASSERT_TRUE(pumpUntil(pumpAll, [&] {
            for (const json& m : player->inbox)
                if (m["channel_seen"] == 1) snapshot = m;
            return !snapshot.is_null();
        }));
        EXPECT_EQ(snapshot["phase"], 2);
        EXPECT_EQ(snapshot["players"].size(), 4u);
    }
}

TEST(LobbyProgram, LeavingHandsOverAndTheLastLeaveClosesTheRoom) {
    Lobby lobby;
    RawClient host(lobby.port);
    ASSERT_TRUE(pumpUntil([&] { host.service(); }, [&] { return host.connected; }));
    host.sendBytes(json::to_cbor(createBody(0)));
    ASSERT_TRUE(pumpUntil([&] { host.service(); }, [&] { return host.received.size() >= 2; }));
    const std::string code = json::from_cbor(host.received[1])["code"];
    Player guest(lobby.port);
    guest.join(code);

    host.sendBytes(json::to_cbor({{"op", "leave"}}));
    ASSERT_TRUE(pumpUntil([&] { host.service(); guest.pump(); }, [&] { return host.disconnected; }));
    EXPECT_EQ(host.disconnectData, kLeft);
    const json state = guest.expect("state");
    EXPECT_EQ(state["host"], guest.welcome["id"]);
    EXPECT_EQ(state["players"].size(), 1u);

    guest.send({{"op", "leave"}});
    ASSERT_TRUE(pumpUntil([&] { guest.pump(); }, [&] { return guest.disconnected; }));
    Player late(lobby.port);
    EXPECT_EQ(late.error({{"op", "join"}, {"version", kProtocolMagic}, {"code", code}}), "Lobby code not found");
}

TEST(LobbyProgram, DeployedRoomsSendSnapshots) {
    Lobby lobby;
    Player host(lobby.port);
    host.create();
    host.send({{"op", "select"}, {"mission", 2}});
    const json briefing = host.expect("state");
    host.send({{"op", "ready"}, {"selection", briefing["selection"]}, {"loadout", {0, 1, 0, 0, 0, 0}}, {"ready", true}});
    json state;
    ASSERT_TRUE(pumpUntil([&] { host.pump(); }, [&] {
        state = host.expect("state");
        return state.is_null() || state["phase"] == 2;
    }));
    ASSERT_EQ(state["phase"], 2);

    Input firing;
    firing.fire[1] = true;
    std::vector<json> snapshots;
    const auto collect = [&] {
        host.pump();
        for (auto it = host.inbox.begin(); it != host.inbox.end();) {
            if ((*it)["channel_seen"] == 1) {
                snapshots.push_back(std::move(*it));
                it = host.inbox.erase(it);
            } else {
                ++it;
            }
        }
    };
    for (int frame = 0; frame < 30; ++frame) {
        host.send({{"op", "input"}, {"round", 1}, {"input", inputWire(firing)}}, kInputChannel);
        const auto next = std::chrono::steady_clock::now() + std::chrono::milliseconds(33);
        pumpUntil(collect, [&] { return std::chrono::steady_clock::now() >= next; });
    }
    const auto settle = std::chrono::steady_clock::now() + std::chrono::milliseconds(800);
    pumpUntil(collect, [&] { return std::chrono::steady_clock::now() >= settle; });

    ASSERT_GT(snapshots.size(), 10u);
    std::uint64_t lastTick = 0;
    std::size_t fired = 0;
    bool gap = false;
    for (std::size_t i = 0; i < snapshots.size(); ++i) {
        const json& s = snapshots[i];
        EXPECT_EQ(s["type"], "state");
        const std::uint64_t tick = s["tick"];
        EXPECT_EQ(tick % 3, 0u);
        EXPECT_GT(tick, lastTick);
        gap = gap || (i > 0 && tick != lastTick + 3);
        lastTick = tick;
        EXPECT_EQ(s["world"].size(), 9u);
        if (i == 0) continue;  // shots before the first snapshot received are not counted
        // The walker stands still; enemies fire from far away.
        const json& at = s["players"][0]["pilot"]["position"];
        for (const json& sound : s["world"]["sounds"]) {
            const double dx = sound["position"]["x"].get<double>() - at["x"].get<double>();
            const double dz = sound["position"]["z"].get<double>() - at["z"].get<double>();
            fired += sound["kind"] == 0 && dx * dx + dz * dz < 15.0 * 15.0 ? 1 : 0;
        }
    }
    const auto shotsIn = [](const json& s) { return s["players"][0]["pilot"]["shots"][1].get<std::size_t>(); };
    const std::size_t shots = shotsIn(snapshots.back()) - shotsIn(snapshots.front());
    EXPECT_GT(shots, 0u);
    // A snapshot ENet dropped on a busy machine takes its sounds with it; the
    // count is exact when every snapshot between the first and last arrived.
    if (gap) {
        EXPECT_LE(fired, shots) << "no sound travels twice";
    } else {
        EXPECT_EQ(fired, shots) << "each shot's sound travels in exactly one snapshot";
    }
}

TEST(LobbyProgram, TerminationAndStartupFailures) {
    Lobby lobby;
    ASSERT_NE(lobby.port, 0);
    // The server handles the signal: it ends by itself, with status 0.
    EXPECT_EQ(lobby.process.stop(SIGTERM, std::chrono::seconds(5)), 0);
    const auto report = lobby.process.line();
    ASSERT_TRUE(report);
    const json parsed = json::parse(*report);
    EXPECT_EQ(parsed["rooms"], json::array());
    EXPECT_EQ(parsed["peers"], 0);

    Lobby first;
    LobbyProcess busy({"--bind", "127.0.0.1", "--port", std::to_string(first.port), "--voice-port", "0", "--retail",
                       testing_support::demoContent().string()});
    EXPECT_EQ(busy.errorLine(), "Lobby server: Cannot open ENet socket");
    EXPECT_EQ(busy.waitExit(std::chrono::seconds(5)), 1);
    const struct {
        std::vector<std::string> args;
        const char* error;
    } refused[] = {
        {{"--colour", "red"}, "Lobby server: Unknown option --colour"},
        {{"--peers-per-address", "0"}, "Lobby server: --peers-per-address needs a number from 1 to 128"},
        {{"--rooms-per-address", "33"}, "Lobby server: --rooms-per-address needs a number from 1 to 32"},
    };
    for (const auto& c : refused) {
        LobbyProcess process(c.args);
        EXPECT_EQ(process.errorLine(), c.error);
        EXPECT_EQ(process.waitExit(std::chrono::seconds(5)), 1);
    }
}

}  // namespace
}  // namespace bastion::coop
