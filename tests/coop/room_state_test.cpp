// The room state document read back: what a room writes, what the reader
// tolerates and refuses, and the lobby client's decoded view of a live room.
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "coop/client.h"
#include "coop/enet_peers.h"
#include "coop/internal/snapshot_cbor.h"
#include "coop/local_server.h"
#include "coop/pilot_codec.h"
#include "coop/room_state.h"
#include "coop/server.h"
#include "coop/wire_failure.h"
#include "support/demo_content.h"

namespace bastion::coop {
namespace {

using nlohmann::json;
using testing::pumpUntil;
using testing::wireFailure;

// Members 12 and 13 in slots 1 and 2 of a room whose every field differs
// from its default; the room id needs more than 32 bits.
Room briefingRoom() {
    Room room("/nonexistent");
    for (u32 id : {11u, 12u, 13u}) room.add(id);
    room.remove(11);
    room.id = (u64{1} << 40) + 5;
    room.code = "QWERTY";
    room.host = 13;
    room.revision = 9;
    room.round = 3;
    room.selection = 5;
    room.mission = 2;
    room.phase = kBriefing;
    room.outcome = "MISSION ABORTED";
    room.progression.rules.campaign = 1;
    room.progression.completed = 0x5;
    room.hard = 0;
    Player& bea = room.player(13);
    bea.name = "Bea";
    bea.ready = true;
    bea.loadout = {0, 1, 2, 2, 5, 0};
    bea.pilot.position = {4.0f, 5.0f, 6.0f};
    bea.pilot.health = 61.0f;
    return room;
}

TEST(RoomState, ReadsBackWhatTheRoomWrites) {
    const Room room = briefingRoom();
    // As written, and as the members receive it: a CBOR snapshot.
    for (const json& document : {room.state(), json::from_cbor(snapshotCbor(room, 42))}) {
        const RoomState read = readRoomState(document);
        EXPECT_EQ(read.id, room.id);
        EXPECT_EQ(read.code, "QWERTY");
        EXPECT_EQ(read.host, 13u);
        EXPECT_EQ(read.revision, 9u);
        EXPECT_EQ(read.round, 3u);
        EXPECT_EQ(read.selection, 5u);
        EXPECT_EQ(read.mission, 2);
        EXPECT_EQ(read.phase, kBriefing);
        EXPECT_EQ(read.outcome, "MISSION ABORTED");
        EXPECT_EQ(read.campaign, 1);
        EXPECT_EQ(read.completed, 0x5u);
        EXPECT_EQ(read.difficulty, 0);
        ASSERT_EQ(read.players.size(), 2u);
        for (std::size_t i = 0; i < read.players.size(); ++i) {
            const Player& written = room.players[i];
            const RoomMember& member = read.players[i];
            EXPECT_EQ(member.id, written.id);
            EXPECT_EQ(member.name, written.name);
            EXPECT_EQ(member.slot, written.slot);
            EXPECT_EQ(member.ready, written.ready);
            EXPECT_EQ(member.loadout, written.loadout);
            EXPECT_EQ(pilotWire(member.pilot), pilotWire(written.pilot));
        }
    }
    const RoomState empty = readRoomState(Room("/nonexistent").state());
    EXPECT_EQ(empty.difficulty, 1) << "a new room is hard";
    EXPECT_TRUE(empty.players.empty());
}

TEST(RoomState, MissingAndMistypedValues) {
    using Edit = std::function<void(json&)>;
    const struct {
        const char* what;
        Edit edit;
        const char* failure;
    } cases[] = {
        {"no outcome", [](json& s) { s.erase("outcome"); }, "accepted"},
        {"no campaign", [](json& s) { s.erase("campaign"); }, "accepted"},
        {"no loadout", [](json& s) { s["players"][0].erase("loadout"); }, "accepted"},
        {"null players", [](json& s) { s["players"] = nullptr; }, "accepted"},
        {"unknown difficulty", [](json& s) { s["difficulty"] = "easy"; }, "accepted"},
        {"whole room number as a float", [](json& s) { s["room"] = 5.0; }, "accepted"},
        {"no phase", [](json& s) { s.erase("phase"); }, "out of range"},
        {"no players", [](json& s) { s.erase("players"); }, "out of range"},
        {"no difficulty", [](json& s) { s.erase("difficulty"); }, "out of range"},
        {"no pilot", [](json& s) { s["players"][1].erase("pilot"); }, "out of range"},
        {"phase as a float", [](json& s) { s["phase"] = 1.0; }, "type error"},
        {"phase as text", [](json& s) { s["phase"] = "1"; }, "type error"},
        {"mission beyond int", [](json& s) { s["mission"] = 1ll << 31; }, "type error"},
        {"negative selection", [](json& s) { s["selection"] = -1; }, "type error"},
        {"negative completed", [](json& s) { s["completed"] = -1; }, "type error"},
        {"campaign as text", [](json& s) { s["campaign"] = "SB2"; }, "type error"},
        {"outcome as a number", [](json& s) { s["outcome"] = 3; }, "type error"},
        {"difficulty as a number", [](json& s) { s["difficulty"] = 1; }, "type error"},
        {"room as text", [](json& s) { s["room"] = "one"; }, "type error"},
        {"negative host", [](json& s) { s["host"] = -1; }, "out of range"},
        {"players as text", [](json& s) { s["players"] = "Ace"; }, "type error"},
        {"negative slot", [](json& s) { s["players"][0]["slot"] = -1; }, "type error"},
        {"member id beyond u32", [](json& s) { s["players"][0]["id"] = u64{1} << 32; }, "type error"},
        {"name as a number", [](json& s) { s["players"][0]["name"] = 5; }, "type error"},
        {"ready as a number", [](json& s) { s["players"][0]["ready"] = 1; }, "type error"},
        {"three mounts", [](json& s) { s["players"][0]["loadout"] = {0, 1, 0}; }, "type error"},
        {"weapon id 13", [](json& s) { s["players"][0]["loadout"][5] = 13; }, "out of range"},
        {"not an object", [](json& s) { s = json::array({s}); }, "type error"},
    };
    const json written = briefingRoom().state();
    for (const auto& c : cases) {
        json document = written;
        c.edit(document);
        EXPECT_EQ(wireFailure([&] { readRoomState(document); }), c.failure) << c.what;
    }
}

TEST(RoomState, ToleratedGapsReadAsTheRoomsDefaults) {
    json document = briefingRoom().state();
    document.erase("outcome");
    document.erase("campaign");
    document["players"][0].erase("loadout");
    document["difficulty"] = "easy";
    const RoomState read = readRoomState(document);
    EXPECT_EQ(read.outcome, "");
    EXPECT_EQ(read.campaign, 0);
    EXPECT_EQ(read.players[0].loadout, Player{}.loadout);
    EXPECT_EQ(read.difficulty, 0);
}

// Two clients in a lobby server's room: each one's view is the server's room,
// and the client's phase, own entry and voice participants come from it.
TEST(RoomStateClient, TheClientsViewIsTheServersRoom) {
    const auto started = testing::localServer(testing_support::demoContent());
    Server& server = *started;
    const std::string address = "127.0.0.1:" + std::to_string(server.report()["port"].get<unsigned>());
    Client host(address, true, Progression{}, "Ace", "");
    std::unique_ptr<Client> joiner;
    const auto loop = [&] {
        server.step(1.0f / 60.0f);
        host.update(1.0f / 60.0f, nullptr);
        if (joiner != nullptr) joiner->update(1.0f / 60.0f, nullptr);
    };
    EXPECT_EQ(host.roomState().players.size(), 0u) << "nothing before the first state";
    ASSERT_TRUE(pumpUntil(loop, [&] { return !host.code.empty(); }));
    joiner = std::make_unique<Client>(address, false, Progression{}, "Bea", host.code);
    ASSERT_TRUE(pumpUntil(loop, [&] { return joiner->roomState().players.size() == 2; }));
    host.send({{"op", "select"}, {"mission", 2}});
    host.send({{"op", "difficulty"}, {"value", "normal"}});
    const auto current = [&] { return readRoomState(server.report()["rooms"][0]); };
    ASSERT_TRUE(pumpUntil(loop, [&] {
        const RoomState room = current();
        return room.phase == kBriefing && room.difficulty == 0 && host.revision == room.revision &&
               joiner->revision == room.revision;
    }));

    const RoomState room = current();
    for (const Client* client : {&host, joiner.get()}) {
        const RoomState& view = client->roomState();
        EXPECT_EQ(view.id, room.id);
        EXPECT_EQ(view.code, room.code);
        EXPECT_EQ(view.host, host.id);
        EXPECT_EQ(view.selection, room.selection);
        EXPECT_EQ(view.mission, 2);
        EXPECT_EQ(view.phase, kBriefing);
        EXPECT_EQ(view.difficulty, 0);
        ASSERT_EQ(view.players.size(), 2u);
        EXPECT_EQ(view.players[0].name, "Ace");
        EXPECT_EQ(view.players[1].name, "Bea");
        EXPECT_EQ(client->phase(), 1);
        ASSERT_NE(client->local(), nullptr);
        EXPECT_EQ(client->local()->at("id"), client->id);
        const auto participants = client->participants();
        ASSERT_EQ(participants.size(), 2u);
        for (std::size_t i = 0; i < participants.size(); ++i) {
            EXPECT_EQ(participants[i].id, view.players[i].id);
            EXPECT_EQ(participants[i].group, room.id);
        }
    }
    EXPECT_TRUE(host.host);
    EXPECT_FALSE(joiner->host);
}

}  // namespace
}  // namespace bastion::coop
