// The shell's co-op session: players made of a front end, a World and the
// shell's request and co-op steps, against a lobby server in this process or
// a scripted server end that sends what a broken server would.
#include <chrono>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "coop/enet_peers.h"
#include "coop/pilot_codec.h"
#include "coop/server.h"
#include "shell/requests.h"
#include "support/demo_content.h"
#include "support/temp_folder.h"

namespace bastion {
namespace {

using nlohmann::json;
using coop::testing::pumpUntil;
using F = Frontend;

// One player's game: the frame loop's co-op, front-end and request steps.
struct Player {
    Player(const std::string& server, const std::string& name, const std::filesystem::path& saves) {
        session.sources.retail = testing_support::demoContent();
        session.savePath = saves / (name + ".json");
        session.server = server;
        session.playerName = name;
        frontend.progression.rules.load(session.sources.retail, 0);
    }

    void frame(bool select = false, float dt = 1.0f / 60.0f) {
        Input input;
        driveCoop(session, input, dt, latches);
        select = selectAfterMissionEnd(session, input, select);
        const int before = frontend.screen;
        frontend.update(input, dt, select, false);
        sendMissionChoice(session, before);
        carryOutRequest(session);
    }
    // Select held for a frame, then released.
    void press() {
        frame(true);
        frame(false);
    }
    void request(F::Request code) {
        frontend.request = code;
        frame();
    }

    Frontend frontend;
    World world;
    ClientConfig config;
    std::ostringstream err;
    ShellSession session{frontend, world, config, err};
    ButtonLatches latches;
};

class CoopLobby : public ::testing::Test {
protected:
    void SetUp() override {
        server = std::make_unique<coop::Server>(testing_support::demoContent(), "127.0.0.1", 0, 0);
        address = "127.0.0.1:" + std::to_string(server->report()["port"].get<unsigned>());
    }
    std::unique_ptr<Player> player(const std::string& name) {
        return std::make_unique<Player>(address, name, folder.path());
    }
    // Server ticks and frames of every player until `done`.
    bool until(const std::function<bool()>& done) {
        return pumpUntil(
            [&] {
                if (server) server->step(1.0f / 60.0f);
                for (Player* p : players) p->frame();
            },
            done, std::chrono::seconds(10));
    }

    testing_support::TempFolder folder{"coop-session"};
    std::unique_ptr<coop::Server> server;
    std::string address;
    std::vector<Player*> players;
};

TEST_F(CoopLobby, HostAndJoinerGoFromTheMenusIntoOneMission) {
    auto host = player("Ace");
    players = {host.get()};
    host->request(F::kHostLobby);
    EXPECT_EQ(host->frontend.screen, F::kLobbyConnecting);
    EXPECT_TRUE(host->frontend.coopActive);
    ASSERT_TRUE(until([&] { return host->frontend.screen == F::kMissionSelection; })) << host->frontend.notice;
    const std::string code = host->frontend.roomCode;
    EXPECT_EQ(code.size(), 6u);
    EXPECT_EQ(host->frontend.playerLabels, std::vector<std::string>{"P1 Ace NOT READY"});
    EXPECT_EQ(host->frontend.difficulty, 1) << "the room's default";
    EXPECT_TRUE(host->frontend.host);

    auto joiner = player("Bea");
    players.push_back(joiner.get());
    joiner->frontend.joinCode = code;
    joiner->request(F::kJoinLobby);
    ASSERT_TRUE(until([&] {
        return joiner->frontend.screen == F::kLobbyWaiting && host->frontend.playerLabels.size() == 2;
    }));
    EXPECT_EQ(joiner->frontend.roomCode, code);
    EXPECT_EQ(joiner->frontend.playerLabels,
              (std::vector<std::string>{"P1 Ace NOT READY", "P2 Bea NOT READY"}));
    EXPECT_EQ(host->frontend.otherPilots.size(), 1u);
    EXPECT_FALSE(joiner->frontend.host);

    host->frontend.missionCursor = 2;
    host->press();  // mission selection -> briefing: the room hears the choice
    EXPECT_EQ(host->frontend.screen, F::kBriefing);
    ASSERT_TRUE(until([&] { return joiner->frontend.screen == F::kBriefing; }));
    EXPECT_EQ(joiner->frontend.missionCursor, 2);
    for (Player* p : players) {
        p->press();  // briefing -> loadout
        p->press();  // deploy: ready
        EXPECT_EQ(p->frontend.screen, F::kLobbyReady);
    }
    ASSERT_TRUE(until([&] {
        return host->frontend.screen == F::kPlaying && joiner->frontend.screen == F::kPlaying &&
               joiner->world.others.size() == 2 && host->world.others.size() == 2;
    }));
    for (Player* p : players) {
        EXPECT_TRUE(p->world.coop);
        EXPECT_EQ(p->world.missionIndex, 2);
        EXPECT_EQ(p->frontend.otherPilots.size(), 1u);
        EXPECT_FALSE(p->frontend.voiceLine.empty()) << "the voice chat's state is shown";
    }
    EXPECT_EQ(joiner->world.pilot.slot, 1);
    EXPECT_EQ(host->world.pilot.slot, 0);

    // A restart is a new round: the World is built again, with the rig.
    const u64 round = joiner->session.coop.client->round;
    joiner->session.rig.upperLength = 2.5f;
    host->request(F::kRestart);
    ASSERT_TRUE(until([&] { return joiner->world.pilot.rig.upperLength == 2.5f; }));
    EXPECT_GT(joiner->session.coop.client->round, round);
    EXPECT_EQ(joiner->world.others.size(), 2u);
    EXPECT_EQ(joiner->frontend.screen, F::kPlaying);

    // The host leaves from the in-mission menu; the joiner takes over.
    host->request(F::kLeaveLobby);
    EXPECT_EQ(host->frontend.screen, F::kTitle);
    EXPECT_FALSE(host->frontend.coopActive);
    EXPECT_TRUE(host->frontend.roomCode.empty());
    EXPECT_FALSE(host->session.coop.active());
    players = {joiner.get()};
    ASSERT_TRUE(until([&] { return joiner->frontend.host; }));
    EXPECT_EQ(joiner->frontend.notice, "YOU ARE NOW THE LOBBY HOST");
    EXPECT_EQ(joiner->frontend.playerLabels.size(), 1u);
}

TEST_F(CoopLobby, ASilentServerEndsInConnectionLostAndTheGameGoesOn) {
    auto host = player("Ace");
    players = {host.get()};
    host->request(F::kHostLobby);
    ASSERT_TRUE(until([&] { return host->frontend.screen == F::kMissionSelection; }));
    server.reset();
    for (int i = 0; i < 101 && host->frontend.screen != F::kConnectionLost; ++i) host->frame(false, 0.1f);
    EXPECT_EQ(host->frontend.screen, F::kConnectionLost);
    EXPECT_EQ(host->frontend.notice, "Lobby server timed out");
    host->request(F::kLeaveLobby);
    EXPECT_EQ(host->frontend.screen, F::kTitle);
    EXPECT_FALSE(host->session.coop.active());
}

TEST(CoopRequests, StartFailuresStayOnTheCoopMenu) {
    testing_support::TempFolder folder{"coop-start"};
    const struct {
        const char* name;
        const char* server;
        bool skirmish;
        bool sandbox;
        const char* notice;
    } cases[] = {
        {"Ace", "127.0.0.1:1", true, false, "Skirmish is singleplayer only"},
        {"Ace", "127.0.0.1:1", false, true, "Cooperative requires campaign mode; remove --sandbox/--fixture"},
        {"Ace", "a b", false, false, "Whitespace/control character in TCP endpoint"},
        {"", "127.0.0.1:1", false, false, "Player name cannot be blank"},
    };
    for (const auto& c : cases) {
        Player p(c.server, c.name, folder.path());
        p.frontend.skirmish = c.skirmish;
        p.frontend.sandbox = c.sandbox;
        p.frontend.screen = F::kBriefing;
        p.request(F::kJoinLobby);
        EXPECT_EQ(p.frontend.notice, c.notice);
        EXPECT_EQ(p.frontend.screen, F::kCoopMenu) << c.notice;
        EXPECT_FALSE(p.session.coop.active());
        EXPECT_FALSE(p.frontend.coopActive);
    }
}

TEST(CoopRequests, TheLeaveRowOutsideALobbyReturnsToTheTitle) {
    testing_support::TempFolder folder{"coop-leave"};
    Player p("127.0.0.1:1", "Ace", folder.path());
    p.frontend.screen = F::kMissionMenu;
    p.frontend.difficulty = 1;
    p.request(F::kLeaveLobby);
    EXPECT_EQ(p.frontend.screen, F::kTitle);
    EXPECT_EQ(p.frontend.difficulty, 0);
}

// A server end that the test scripts, for data no lobby server sends.
struct ScriptedLobby {
    coop::Transport transport{true, "127.0.0.1", 0};
    ENetPeer* peer = nullptr;
    bool joined = false;
    std::string address() const { return "127.0.0.1:" + std::to_string(transport.port()); }
    void poll() {
        for (coop::Event& e : transport.poll()) {
            if (e.kind == coop::Event::kConnect) peer = e.peer;
            if (e.kind == coop::Event::kMessage && e.message.value("op", "") == "join") joined = true;
        }
    }
    void send(const json& message) {
        transport.send(peer, message, coop::kLobbyChannel);
        transport.flush();
    }
};

json roomState(int phase, int mission, json world = nullptr) {
    json own = {{"id", 7}, {"slot", 0}, {"name", "Bea"}, {"ready", true}, {"pilot", coop::pilotWire(Pilot{})}};
    json state = {{"type", "state"}, {"room", 1},         {"code", "ABCDEF"},    {"host", 9},
                  {"revision", 1},   {"round", 1},        {"selection", 1},      {"mission", mission},
                  {"phase", phase},  {"outcome", ""},     {"campaign", 0},       {"completed", 0},
                  {"difficulty", "normal"},               {"players", json::array({own})}};
    if (!world.is_null()) {
        state["world"] = std::move(world);
        state["tick"] = 3;
    }
    return state;
}

TEST(CoopBadData, BadServerDataEndsTheSessionNotTheGame) {
    testing_support::TempFolder folder{"coop-bad-data"};
    const struct {
        json state;
        const char* notice;
    } cases[] = {
        {{{"type", "state"}, {"revision", "one"}}, "Lobby server sent malformed data"},
        {roomState(0, 99), "Lobby room names a mission outside the campaign"},
        {roomState(0, -1), "Lobby room names a mission outside the campaign"},
        {[] {
             json s = roomState(0, 1);
             s["campaign"] = 5;
             return s;
         }(),
         "Lobby room names an unknown campaign"},
        {[] {
             json s = roomState(0, 1);
             s["players"][0]["slot"] = -1;
             return s;
         }(),
         "Lobby server sent malformed data"},
        {roomState(2, 1, {{"targets", json::array()}}), "Mission data does not match server"},
    };
    for (const auto& c : cases) {
        ScriptedLobby lobby;
        Player p(lobby.address(), "Bea", folder.path());
        p.frontend.joinCode = "ABCDEF";
        p.request(F::kJoinLobby);
        ASSERT_TRUE(pumpUntil([&] { p.frame(); lobby.poll(); }, [&] { return lobby.joined; }));
        lobby.send({{"type", "welcome"}, {"id", 7}, {"voice", nullptr}});
        lobby.send(c.state);
        ASSERT_TRUE(pumpUntil([&] { p.frame(); }, [&] { return p.frontend.screen == F::kConnectionLost; }))
            << c.notice;
        EXPECT_EQ(p.frontend.notice, c.notice);
        EXPECT_FALSE(p.session.coop.active()) << "the session ended";
        EXPECT_EQ(p.err.str().rfind("Co-op session: ", 0), 0u) << p.err.str();
        for (int i = 0; i < 3; ++i) p.frame();  // frames go on without a session
        p.request(F::kLeaveLobby);
        EXPECT_EQ(p.frontend.screen, F::kTitle);
        EXPECT_FALSE(p.frontend.coopActive);
    }
}

}  // namespace
}  // namespace bastion
