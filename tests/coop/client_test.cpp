// The lobby client against a scripted server (a bare server transport that
// the test drives message by message), and against the lobby program.
#include <algorithm>
#include <functional>
#include <set>

#include <gtest/gtest.h>

#include "coop/client.h"
#include "coop/connection_keeper.h"
#include "coop/local_server.h"
#include "coop/server.h"
#include "coop/enet_peers.h"
#include "coop/internal/input_codec.h"
#include "coop/lobby_process.h"
#include "coop/wire_failure.h"
#include "support/demo_content.h"
#include "support/frame_clock.h"

namespace bastion::coop {
namespace {

using nlohmann::json;
using testing::pumpUntil;
using testing::wireFailure;

// A server end the test scripts: it records what the client sent.
struct ScriptedServer {
    Transport transport{true, "127.0.0.1", 0};
    ENetPeer* peer = nullptr;
    std::vector<Event> received;
    std::string address() const { return "127.0.0.1:" + std::to_string(transport.port()); }
    void poll() {
        for (Event& e : transport.poll()) {
            if (e.kind == Event::kConnect) peer = e.peer;
            if (e.kind == Event::kMessage) received.push_back(std::move(e));
        }
    }
    void send(const json& message, std::uint8_t channel = kLobbyChannel) {
        transport.send(peer, message, channel);
        transport.flush();
    }
    std::size_t count(const std::string& op) const {
        std::size_t n = 0;
        for (const Event& e : received) n += e.message.value("op", "") == op ? 1 : 0;
        return n;
    }
};

json roomState(u64 revision, u64 tick = 0, int phase = 0, u32 hostId = 1) {
    json state = {{"type", "state"}, {"room", 3},      {"code", "ABCDEF"}, {"host", hostId}, {"revision", revision},
                  {"round", 1},      {"selection", 4}, {"mission", 2},     {"phase", phase}, {"outcome", ""},
                  {"campaign", 0},   {"completed", 0}, {"difficulty", "hard"},
                  {"players", json::array()}};
    if (tick != 0) state["tick"] = tick;
    return state;
}

class ClientScript : public ::testing::Test {
protected:
    void SetUp() override {
        client = std::make_unique<Client>(server.address(), true, Progression{}, " Ace ", "");
        ASSERT_TRUE(pumpUntil([&] { frame(); }, [&] { return server.count("create") == 1; }));
        server.send({{"type", "welcome"}, {"id", 1}, {"voice", {{"port", 1}}}});
        ASSERT_TRUE(pumpUntil([&] { frame(); }, [&] { return client->id == 1; }));
    }
    // One client frame and one server poll.
    void frame(const Input* input = nullptr, float dt = 0.0f) {
        client->update(dt, input);
        server.poll();
    }
    // Sends `message` and runs frames (with `input`) for a while.
    void deliver(const json& message, const Input* input = nullptr) {
        server.send(message);
        pumpUntil([&] { frame(input); }, [&] { return false; }, std::chrono::milliseconds(60));
    }

    ScriptedServer server;
    std::unique_ptr<Client> client;
};

TEST_F(ClientScript, TheRequestCarriesSixMembers) {
    const json& request = server.received[0].message;
    EXPECT_EQ(request, json({{"op", "create"}, {"name", "Ace"}, {"version", kProtocolMagic}, {"campaign", 0},
                             {"completed", 0}, {"code", ""}}));
    EXPECT_TRUE(client->connected);
    EXPECT_EQ(client->phase(), 0);
    EXPECT_TRUE(client->participants().empty());
}

TEST_F(ClientScript, StatesAreAcceptedByRevisionAndTick) {
    deliver(roomState(0));
    EXPECT_EQ(client->id, 1u);
    EXPECT_EQ(client->revision, 0u) << "the first tick-less state of revision 0 is taken";
    EXPECT_EQ(client->code, "ABCDEF");
    EXPECT_TRUE(client->host);

    server.send(roomState(5, 7, 2));
    server.send(roomState(5, 5, 1));
    pumpUntil([&] { frame(); }, [&] { return false; }, std::chrono::milliseconds(80));
    EXPECT_EQ(client->phase(), 2) << "tick 7 taken, tick 5 of the same revision ignored";
    deliver(roomState(5, 0, 0));
    EXPECT_EQ(client->phase(), 2) << "a tick-less state of the held revision is ignored";
    deliver(roomState(4, 0, 0));
    EXPECT_EQ(client->phase(), 2) << "an older revision is ignored";
    deliver(roomState(6, 0, 1, 9));
    EXPECT_EQ(client->phase(), 1);
    EXPECT_FALSE(client->host) << "the host moved to member 9";
}

TEST_F(ClientScript, InputIsSentAtMostThirtyTimesASecondWithLatchedPresses) {
    deliver(roomState(1, 0, 2));
    Input input;
    // Two seconds of 120 frames a second: a one-frame fire press in between.
    for (int i = 0; i < 240; ++i) {
        input.fire[3] = i == 5;
        frame(&input, 1.0f / 120.0f);
    }
    pumpUntil([&] { frame(); }, [&] { return false; }, std::chrono::milliseconds(80));
    std::size_t inputs = 0, fired = 0;
    for (const Event& e : server.received) {
        if (e.message.value("op", "") != "input") continue;
        ++inputs;
        EXPECT_EQ(e.channel, kInputChannel);
        EXPECT_EQ(e.message["round"], 1);
        fired += e.message["input"]["fire"][3].get<bool>() ? 1 : 0;
    }
    EXPECT_GE(inputs, 58u);
    EXPECT_LE(inputs, 61u);
    EXPECT_EQ(fired, 1u) << "a short press is sent once";

    // Losing focus between two sends drops the latched press.
    input.fire[2] = true;
    frame(&input, 0.001f);
    input.fire[2] = false;
    input.focused = false;
    frame(&input, 0.001f);
    input.focused = true;
    for (int i = 0; i < 8; ++i) frame(&input, 1.0f / 120.0f);
    pumpUntil([&] { frame(); }, [&] { return false; }, std::chrono::milliseconds(80));
    for (const Event& e : server.received)
        if (e.message.value("op", "") == "input") EXPECT_FALSE(e.message["input"]["fire"][2].get<bool>());
}

TEST_F(ClientScript, APingIsSentOncePerPressOnlyWhenDeployed) {
    Input input;
    input.ping[1] = true;
    deliver(roomState(1, 0, 1), &input);
    deliver(roomState(2, 0, 2), &input);  // held since the briefing: consumed there, never sent
    EXPECT_EQ(server.count("ping"), 0u);
    input.ping[1] = false;
    frame(&input);
    input.ping[1] = true;
    for (int i = 0; i < 5; ++i) frame(&input);
    input.ping[1] = false;
    frame(&input);
    input.ping[1] = true;
    deliver(roomState(3, 0, 2), &input);
    ASSERT_EQ(server.count("ping"), 2u) << "one ping per press";
    for (const Event& e : server.received) {
        if (e.message.value("op", "") != "ping") continue;
        EXPECT_EQ(e.message["kind"], 1);
        EXPECT_EQ(e.channel, kLobbyChannel);
    }
}

TEST_F(ClientScript, CommandsGetSelectionAndRound) {
    client->send({{"op", "ready"}, {"ready", true}});
    client->send({{"op", "destroy"}});
    deliver(roomState(1, 0, 1));
    client->send({{"op", "ready"}, {"ready", true}});
    pumpUntil([&] { frame(); }, [&] { return server.count("ready") == 2; });
    std::vector<json> readies, destroys;
    for (const Event& e : server.received) {
        if (e.message.value("op", "") == "ready") readies.push_back(e.message);
        if (e.message.value("op", "") == "destroy") destroys.push_back(e.message);
    }
    ASSERT_EQ(readies.size(), 2u);
    EXPECT_FALSE(readies[0].contains("selection"));
    EXPECT_EQ(readies[1]["selection"], 4);
    ASSERT_EQ(destroys.size(), 1u);
    EXPECT_EQ(destroys[0]["round"], 0);
}

TEST_F(ClientScript, SilenceBeyondTenSecondsTimesOut) {
    for (int i = 0; i < 10; ++i) client->update(1.0f, nullptr);
    EXPECT_TRUE(client->connected) << "10.0 s of silence is allowed";
    client->update(0.01f, nullptr);
    EXPECT_FALSE(client->connected);
    EXPECT_EQ(client->message, "Lobby server timed out");
    client->send({{"op", "abort"}});  // dropped silently
}

TEST_F(ClientScript, ErrorsAndClosedMessages) {
    deliver({{"type", "error"}, {"error", "Mission locked by host campaign"}});
    EXPECT_EQ(client->message, "Mission locked by host campaign");
    EXPECT_TRUE(client->connected);
    deliver({{"type", "error"}});
    EXPECT_EQ(client->message, "Lobby request failed");
    deliver({{"type", "closed"}});
    EXPECT_EQ(client->message, "Lobby closed");
    EXPECT_FALSE(client->connected);
}

TEST_F(ClientScript, MalformedStatesThrowTheLibrarysError) {
    server.send({{"type", "state"}, {"revision", "one"}});
    EXPECT_EQ(wireFailure([&] {
                  pumpUntil([&] { frame(); }, [&] { return false; }, std::chrono::milliseconds(60));
              }),
              "type error");
}

// A frame loop held up longer than the lobby's longest time-out (8 s), while
// the server goes on sending reliable messages: only the client with a
// keeper is still there afterwards, and its frame loop then takes the
// messages up to the last. The other one shows that such a hold-up loses
// the connection.
TEST(ClientHeldUp, AKeeperAnswersTheLobbyThroughALongFrame) {
    Transport server(true, "127.0.0.1", 0);
    const std::string address = "127.0.0.1:" + std::to_string(server.port());
    Client kept(address, true, Progression{}, "Ace", "");
    Client unkept(address, true, Progression{}, "Bea", "");
    std::vector<ENetPeer*> members;
    std::set<ENetPeer*> lost;
    const auto serve = [&] {
        for (Event& e : server.poll()) {
            if (e.kind == Event::kMessage && e.message.value("op", "") == "create") members.push_back(e.peer);
            if (e.kind == Event::kDisconnect) lost.insert(e.peer);
        }
    };
    ASSERT_TRUE(pumpUntil(
        [&] {
            kept.update(0.0f, nullptr);
            unkept.update(0.0f, nullptr);
            serve();
        },
        [&] { return members.size() == 2; }));
    ENetPeer* keptPeer = members[0];
    ENetPeer* unkeptPeer = members[1];
    server.send(members, {{"type", "welcome"}, {"id", 1}, {"voice", {{"port", 1}}}}, kLobbyChannel);
    server.flush();
    ASSERT_TRUE(pumpUntil([&] { kept.update(0.0f, nullptr); serve(); }, [&] { return kept.id == 1; }));

    ConnectionKeeper keeper(kept);
    u64 revision = 0;
    const auto heldUntil = std::chrono::steady_clock::now() + std::chrono::seconds(9);
    while (std::chrono::steady_clock::now() < heldUntil) {
        server.send(members, roomState(++revision), kLobbyChannel);
        server.flush();
        pumpUntil(serve, [] { return false; }, std::chrono::milliseconds(200));
    }
    EXPECT_EQ(lost.count(keptPeer), 0u) << "the lobby gave up on the client with a keeper";
    EXPECT_EQ(lost.count(unkeptPeer), 1u) << "a hold-up this long did not lose an unanswered connection";

    ASSERT_TRUE(pumpUntil([&] { kept.update(0.0f, nullptr); serve(); }, [&] { return kept.revision == revision; }))
        << "revision " << kept.revision << " of " << revision;
    EXPECT_TRUE(kept.connected);
    EXPECT_TRUE(kept.message.empty()) << kept.message;
}

TEST(ClientConstruction, BadArgumentsAreRefused) {
    EXPECT_EQ(wireFailure([] { Client("a b", true, Progression{}, "Ace", ""); }),
              "Whitespace/control character in TCP endpoint");
    EXPECT_EQ(wireFailure([] { Client("127.0.0.1", true, Progression{}, "", ""); }), "Player name cannot be blank");
}

// Two clients through the lobby program: create, join by code, deploy.
TEST(ClientWithLobby, HostAndJoinerPlayAMission) {
    testing::LobbyProcess lobby(
        {"--bind", "127.0.0.1", "--port", "0", "--retail", testing_support::demoContent().string()});
    const auto banner = lobby.line();
    ASSERT_TRUE(banner);
    const std::size_t at = banner->find(" port ");
    const std::string server = "127.0.0.1:" + std::to_string(std::stoi(banner->substr(at + 6)));

    auto host = std::make_unique<Client>(server, true, Progression{}, "Ace", "");
    // The lobby program runs on the machine's clock, so the clients do too.
    testing_support::FrameClock clock;
    const auto both = [&](Client& a, Client* b) {
        const float dt = clock.next();
        a.update(dt, nullptr);
        if (b != nullptr) b->update(dt, nullptr);
    };
    ASSERT_TRUE(pumpUntil([&] { both(*host, nullptr); }, [&] { return !host->code.empty(); }));
    EXPECT_EQ(host->id, 1u);
    EXPECT_TRUE(host->host);
    EXPECT_TRUE(host->voice.is_object());

    Client joiner(server, false, Progression{}, "Bea", host->code);
    ASSERT_TRUE(pumpUntil([&] { both(*host, &joiner); },
                          [&] { return joiner.participants().size() == 2 && host->participants().size() == 2; }));
    EXPECT_EQ(joiner.id, 2u);
    EXPECT_FALSE(joiner.host);
    EXPECT_EQ(joiner.room, host->room);

    host->send({{"op", "select"}, {"mission", 2}});
    ASSERT_TRUE(pumpUntil([&] { both(*host, &joiner); }, [&] { return joiner.phase() == 1; }));
    host->send({{"op", "ready"}, {"loadout", {0, 1, 0, 0, 0, 0}}, {"ready", true}});
    joiner.send({{"op", "ready"}, {"loadout", {0, 1, 0, 0, 0, 0}}, {"ready", true}});
    World world;
    ASSERT_TRUE(pumpUntil([&] { both(*host, &joiner); },
                          [&] { return joiner.apply(world, testing_support::demoContent(), ArmRig{}); }));
    EXPECT_TRUE(world.coop);
    EXPECT_EQ(world.missionIndex, 2);
    EXPECT_EQ(world.others.size(), 2u);
    EXPECT_EQ(world.pilot.slot, 1);
    EXPECT_FALSE(joiner.apply(world, testing_support::demoContent(), ArmRig{})) << "nothing new yet";

    host.reset();  // the creator leaves: the joiner becomes host
    ASSERT_TRUE(pumpUntil([&] { both(joiner, nullptr); }, [&] { return joiner.host; }));
    EXPECT_EQ(joiner.participants().size(), 1u);
}

}  // namespace
}  // namespace bastion::coop

namespace bastion::coop {
namespace {

// Input to snapshot latency on loopback, in server ticks: the server and the
// client share one loop at 60 steps a second of simulated time, so only the
// protocol's own delays count (input sent on the client's next update, read
// on the server's next step, shown in the next snapshot of every third tick).
TEST(ClientWithLobby, InputToSnapshotLatencyInServerTicks) {
    const auto started = testing::localServer(testing_support::demoContent());
    Server& server = *started;
    const std::string address = "127.0.0.1:" + std::to_string(server.report()["port"].get<unsigned>());
    Client client(address, true, Progression{}, "Ace", "");
    u64 tick = 0;
    const auto loop = [&](const Input* input) {
        server.step(1.0f / 60.0f);
        ++tick;
        client.update(1.0f / 60.0f, input);
    };
    ASSERT_TRUE(pumpUntil([&] { loop(nullptr); }, [&] { return !client.code.empty(); }));
    client.send({{"op", "select"}, {"mission", 2}});
    ASSERT_TRUE(pumpUntil([&] { loop(nullptr); }, [&] { return client.phase() == 1; }));
    client.send({{"op", "ready"}, {"loadout", {0, 1, 0, 0, 0, 0}}, {"ready", true}});
    ASSERT_TRUE(pumpUntil([&] { loop(nullptr); }, [&] { return client.state.contains("world"); }));

    const auto shots = [&] { return (*client.local())["pilot"]["shots"][1].get<u64>(); };
    const u64 before = shots();
    Input firing;
    firing.fire[1] = true;
    // Wait past the client's input interval so the press goes out at once.
    for (int i = 0; i < 3; ++i) loop(nullptr);
    const u64 pressed = tick;
    ASSERT_TRUE(pumpUntil([&] { loop(&firing); }, [&] { return shots() > before; }));
    const u64 latency = client.state["tick"].get<u64>() - pressed;
    std::printf("Input to snapshot latency on loopback: %llu server ticks\n", static_cast<unsigned long long>(latency));
    EXPECT_LE(latency, 15u) << "a busy machine may delay a datagram by a step or two, not by a quarter second";
}

// The client drops a state older than the one it holds, so a tick snapshot
// must never leave after a lobby message of a newer revision. Here every
// room's revision moves on at every step (each member pings the map each
// step), and every member of every room must still see every snapshot.
TEST(ClientWithLobby, EveryRoomsSnapshotsArriveWhileItsRevisionMovesOn) {
    const auto started = testing::localServer(testing_support::demoContent());
    Server& server = *started;
    const std::string address = "127.0.0.1:" + std::to_string(server.report()["port"].get<unsigned>());
    constexpr std::size_t kRooms = 3;
    std::vector<std::unique_ptr<Client>> hosts;
    for (std::size_t i = 0; i < kRooms; ++i)
        hosts.push_back(std::make_unique<Client>(address, true, Progression{}, "Ace", ""));
    const auto loop = [&] {
        server.step(1.0f / 60.0f);
        for (auto& host : hosts) host->update(1.0f / 60.0f, nullptr);
    };
    const auto all = [&](const std::function<bool(const Client&)>& holds) {
        return std::all_of(hosts.begin(), hosts.end(), [&](const auto& host) { return holds(*host); });
    };
    ASSERT_TRUE(pumpUntil(loop, [&] { return all([](const Client& c) { return !c.code.empty(); }); }));
    for (auto& host : hosts) host->send({{"op", "select"}, {"mission", 2}});
    ASSERT_TRUE(pumpUntil(loop, [&] { return all([](const Client& c) { return c.phase() == 1; }); }));
    for (auto& host : hosts) host->send({{"op", "ready"}, {"loadout", {0, 1, 0, 0, 0, 0}}, {"ready", true}});
    ASSERT_TRUE(pumpUntil(loop, [&] { return all([](const Client& c) { return c.state.contains("world"); }); }));

    constexpr int kSteps = 60;
    std::vector<std::set<u64>> seen(kRooms);
    for (int step = 0; step < kSteps; ++step) {
        for (auto& host : hosts)
            host->send({{"op", "ping"}, {"round", host->round}, {"kind", 0}, {"input", inputWire(Input{})}});
        loop();
        for (std::size_t i = 0; i < kRooms; ++i)
            if (hosts[i]->state.contains("tick")) seen[i].insert(hosts[i]->state["tick"].get<u64>());
    }
    for (std::size_t i = 0; i < kRooms; ++i) {
        ASSERT_FALSE(seen[i].empty());
        const u64 first = *seen[i].begin(), last = *seen[i].rbegin();
        EXPECT_EQ(seen[i].size(), (last - first) / 3 + 1) << "room " << i << " lost snapshots";
        EXPECT_GE(seen[i].size(), static_cast<std::size_t>(kSteps / 3 - 2)) << "room " << i;
    }
}

}  // namespace
}  // namespace bastion::coop
