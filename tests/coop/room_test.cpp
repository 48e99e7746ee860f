#include <gtest/gtest.h>

#include "coop/internal/input_codec.h"
#include "coop/room.h"
#include "coop/wire_failure.h"

namespace bastion::coop {
namespace {

using nlohmann::json;
using testing::wireFailure;

// A room with members 11 (host), 12 and 13, briefing mission 0.
Room briefingRoom() {
    Room room("/nonexistent");
    room.host = 11;
    for (u32 id : {11u, 12u, 13u}) room.add(id);
    room.command(11, {{"op", "select"}, {"mission", 0}});
    return room;
}

json ready(const Room& room, json loadout = {0, 1, 0, 0, 0, 0}, bool flag = true) {
    return {{"op", "ready"}, {"selection", room.selection}, {"loadout", std::move(loadout)}, {"ready", flag}};
}

TEST(Room, MembersTakeTheLowestFreeSlot) {
    Room room("/nonexistent");
    for (u32 id : {1u, 2u, 3u, 4u}) room.add(id);
    EXPECT_EQ(wireFailure([&] { room.add(5); }), "Lobby is full");
    room.remove(3);
    room.add(5);
    EXPECT_EQ(room.player(5).slot, 2u);
    EXPECT_EQ(room.player(5).pilot.slot, 2);
    EXPECT_EQ(room.player(5).name, "Pilot");
    EXPECT_EQ(room.player(5).inputAge, 100.0f);
    EXPECT_EQ(wireFailure([&] { room.player(3); }), "Not a lobby member");
    for (u32 phase : {2u, 3u, 4u}) {
        Room busy("/nonexistent");
        busy.phase = phase;
        EXPECT_EQ(wireFailure([&] { busy.add(1); }), "Join while host is selecting or briefing a mission") << phase;
    }
}

TEST(Room, HostLeavingHandsOverAndClearsReadyFlags) {
    Room room = briefingRoom();
    room.command(12, ready(room));
    room.command(13, ready(room));
    const u64 before = room.revision;
    room.remove(11);
    EXPECT_EQ(room.host, 12u);
    EXPECT_FALSE(room.player(12).ready);
    EXPECT_FALSE(room.player(13).ready);
    EXPECT_EQ(room.revision, before + 1);
    room.remove(99);  // unknown: nothing erased, the rest still runs
    EXPECT_EQ(room.revision, before + 2);
    room.remove(12);
    room.remove(13);
    EXPECT_EQ(room.host, 0u);
}

TEST(Room, RevisionCountsEachVisibleChange) {
    Room room("/nonexistent");
    room.host = 1;
    room.add(1);
    EXPECT_EQ(room.revision, 1u);
    room.command(1, {{"op", "select"}, {"mission", 2}});
    EXPECT_EQ(room.revision, 2u);
    EXPECT_EQ(room.selection, 1u);
    room.command(1, {{"op", "difficulty"}, {"value", "normal"}});
    EXPECT_EQ(room.revision, 3u);
    EXPECT_EQ(room.hard, 0u);
    room.command(1, {{"op", "abort"}});  // the return to selection and the command each count
    EXPECT_EQ(room.revision, 5u);
    EXPECT_EQ(room.selection, 2u);
    EXPECT_EQ(room.outcome, "MISSION ABORTED");
    room.command(1, {{"op", "destroy"}, {"round", 0}});  // ignored outside a mission
    room.command(1, {{"op", "input"}, {"round", 0}, {"input", inputWire(Input{})}});
    EXPECT_EQ(room.revision, 5u);
}

TEST(Room, StateDocumentKeys) {
    Room room = briefingRoom();
    room.id = 7;
    room.code = "ABCDEF";
    const json state = room.state();
    std::vector<std::string> keys;
    for (const auto& item : state.items()) keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"campaign", "code", "completed", "difficulty", "host", "mission",
                                              "outcome", "phase", "players", "revision", "room", "round",
                                              "selection", "type"}));
    EXPECT_EQ(state["type"], "state");
    EXPECT_EQ(state["difficulty"], "hard");  // a new room starts hard
    EXPECT_EQ(state["phase"], 1);
    ASSERT_EQ(state["players"].size(), 3u);
    std::vector<std::string> memberKeys;
    for (const auto& item : state["players"][1].items()) memberKeys.push_back(item.key());
    EXPECT_EQ(memberKeys, (std::vector<std::string>{"id", "loadout", "name", "pilot", "ready", "slot"}));
    EXPECT_EQ(state["players"][1]["loadout"], json({0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(state["players"][1]["pilot"].size(), 20u);
}

TEST(Room, RefusalTexts) {
    const json someInput = inputWire(Input{});
    json wildInput = someInput;
    wildInput["axes"][0] = 500;
    const struct {
        const char* what;
        u32 phase;
        u32 sender;
        json body;
        const char* failure;
    } cases[] = {
        {"select by a guest", 1, 12, {{"op", "select"}, {"mission", 1}}, "Only host selects missions between deployments"},
        {"select while deployed", 2, 11, {{"op", "select"}, {"mission", 1}}, "Only host selects missions between deployments"},
        {"select a locked mission", 1, 11, {{"op", "select"}, {"mission", 9}}, "Mission locked by host campaign"},
        {"select past the campaign", 1, 11, {{"op", "select"}, {"mission", 40}}, "Mission locked by host campaign"},
        {"ready outside a briefing", 0, 12, {{"op", "ready"}, {"selection", 1}, {"loadout", {0, 1, 0, 0, 0, 0}}, {"ready", true}}, "Mission selection changed - confirm ready again"},
        {"ready for an old selection", 1, 12, {{"op", "ready"}, {"selection", 0}, {"loadout", {0, 1, 0, 0, 0, 0}}, {"ready", true}}, "Mission selection changed - confirm ready again"},
        {"ready with a locked weapon", 1, 12, {{"op", "ready"}, {"selection", 1}, {"loadout", {0, 1, 6, 0, 0, 0}}, {"ready", true}}, "Equipment locked or incompatible"},
        {"ready with an unknown weapon", 1, 12, {{"op", "ready"}, {"selection", 1}, {"loadout", {0, 1, 0, 0, 0, 99}}, {"ready", true}}, "Equipment locked or incompatible"},
        {"ready with seven mounts", 1, 12, {{"op", "ready"}, {"selection", 1}, {"loadout", {0, 1, 0, 0, 0, 0, 0}}, {"ready", true}}, "Equipment locked or incompatible"},
        {"ready with five mounts", 1, 12, {{"op", "ready"}, {"selection", 1}, {"loadout", {0, 1, 0, 0, 0}}, {"ready", true}}, "out of range"},
        {"difficulty by a guest", 1, 12, {{"op", "difficulty"}, {"value", "hard"}}, "Only host can change difficulty before deployment"},
        {"difficulty while deployed", 2, 11, {{"op", "difficulty"}, {"value", "hard"}}, "Only host can change difficulty before deployment"},
        {"difficulty unknown", 1, 11, {{"op", "difficulty"}, {"value", "easy"}}, "Difficulty must be normal or hard"},
        {"difficulty not a string", 1, 11, {{"op", "difficulty"}, {"value", 1}}, "Difficulty must be normal or hard"},
        {"abort by a guest", 2, 13, {{"op", "abort"}}, "Only host can abort"},
        {"restart by a guest", 2, 12, {{"op", "restart"}}, "Only host can restart a deployed mission"},
        {"restart in a briefing", 1, 11, {{"op", "restart"}}, "Only host can restart a deployed mission"},
        {"ping of kind 2", 2, 12, {{"op", "ping"}, {"round", 0}, {"kind", 2}, {"input", someInput}}, "Invalid map ping"},
        {"input with a wild axis", 2, 12, {{"op", "input"}, {"round", 0}, {"input", wildInput}}, "Invalid controller axis"},
        {"unknown op", 1, 12, {{"op", "dance"}}, "Unknown lobby command"},
        {"op not a string", 1, 12, {{"op", 5}}, "type error"},
        {"not a member", 1, 77, {{"op", "abort"}}, "Not a lobby member"},
    };
    for (const auto& c : cases) {
        Room room = briefingRoom();
        room.phase = c.phase;
        const u64 revision = room.revision;
        EXPECT_EQ(wireFailure([&] { room.command(c.sender, c.body); }), c.failure) << c.what;
        EXPECT_EQ(room.revision, revision) << c.what;
    }
}

TEST(Room, ReadyKeepsTheLoadoutWhenTheFlagIsMissing) {
    Room room = briefingRoom();
    json body = ready(room, {5, 1, 0, 0, 0, 0});
    body.erase("ready");
    room.progression.completed = 1;  // mission 0's reward: the grenade rack
    EXPECT_EQ(wireFailure([&] { room.command(12, body); }), "Equipment locked or incompatible");  // a rack on a hand
    EXPECT_EQ(room.player(12).loadout, (Loadout{0, 1, 0, 0, 0, 0}));
    body["loadout"] = {0, 1, 0, 0, 5, 0};
    EXPECT_EQ(wireFailure([&] { room.command(12, body); }), "out of range");
    EXPECT_EQ(room.player(12).loadout, (Loadout{0, 1, 0, 0, 5, 0}));
}

TEST(Room, ValidLoadoutTable) {
    Progression everything;
    everything.rules.initialWeapons = 0x1FFF;
    const struct {
        const char* what;
        Loadout loadout;
        bool valid;
    } cases[] = {
        {"six empty mounts", {0, 0, 0, 0, 0, 0}, true},
        {"the starting loadout", {0, 1, 0, 0, 0, 0}, true},
        {"two rifles", {1, 1, 0, 0, 0, 0}, false},
        {"four rockets", {0, 0, 2, 2, 2, 2}, true},
        {"rocket on a hand", {2, 0, 0, 0, 0, 0}, false},
        {"auto grenade beside a grenade rack", {0, 0, 0, 0, 12, 5}, false},
        {"auto grenade beside an empty hip", {0, 0, 0, 0, 0, 12}, true},
        {"two gatlings", {0, 0, 4, 4, 0, 0}, true},
        {"three gatlings", {0, 0, 4, 4, 4, 0}, false},
        {"id 13", {0, 0, 0, 0, 0, 13}, false},
    };
    for (const auto& c : cases) EXPECT_EQ(validLoadout(c.loadout, everything), c.valid) << c.what;
    EXPECT_FALSE(validLoadout({0, 0, 6, 0, 0, 0}, Progression{})) << "rail cannon still locked";
}

TEST(Room, SelectAfterAWinGoesToTheNewBriefing) {
    Room room = briefingRoom();
    room.phase = kWon;
    room.outcome = "MISSION FAILED";
    room.command(11, {{"op", "select"}, {"mission", 3}});
    EXPECT_EQ(room.phase, kBriefing);
    EXPECT_EQ(room.mission, 3);
    EXPECT_EQ(room.outcome, "");
}

}  // namespace
}  // namespace bastion::coop
