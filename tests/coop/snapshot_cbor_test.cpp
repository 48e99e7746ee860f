#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "coop/internal/input_codec.h"
#include "coop/internal/snapshot_cbor.h"
#include "coop/internal/world_codec.h"
#include "coop/room.h"
#include "support/demo_content.h"

namespace bastion::coop {
namespace {

using nlohmann::json;

// What the lobby server sent before it wrote snapshots itself.
std::vector<std::uint8_t> throughJson(const Room& room, std::uint64_t tick) {
    json snapshot = room.state();
    snapshot["tick"] = tick;
    snapshot["world"] = worldWire(room.world);
    return json::to_cbor(snapshot);
}

// Four members in a demo mission, firing as they walk, so the world holds
// shots, effects and sounds.
Room battle() {
    Room room(testing_support::demoContent());
    room.host = 1;
    for (u32 id = 1; id <= 4; ++id) room.add(id);
    room.command(1, {{"op", "select"}, {"mission", 2}});
    for (u32 id = 1; id <= 4; ++id)
        room.command(id, {{"op", "ready"}, {"selection", room.selection}, {"loadout", {0, 1, 0, 0, 0, 0}}, {"ready", true}});
    Input firing = neutralInput();
    firing.axes[1] = 1.0f;
    firing.fire[1] = true;
    for (int tick = 0; tick < 240; ++tick) {
        if (tick % 2 == 0)
            for (u32 id = 1; id <= 4; ++id)
                room.command(id, {{"op", "input"}, {"round", room.round}, {"input", inputWire(firing)}});
        room.step(1.0f / 60.0f);
    }
    return room;
}

TEST(SnapshotCbor, MatchesTheJsonDocumentByteForByte) {
    Room room = battle();
    ASSERT_FALSE(room.world.projectiles.empty() && room.world.effects.empty()) << "the fixture should be a battle";
    EXPECT_EQ(snapshotCbor(room, 300), throughJson(room, 300)) << "a running battle";

    // Values at the edges of every encoding the snapshot uses.
    constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
    constexpr float kInf = std::numeric_limits<float>::infinity();
    room.players[0].name = "A name longer than twenty-three bytes";
    room.players[1].pilot.health = kNan;
    room.players[1].pilot.gait = -0.0f;
    room.players[2].pilot.walk_speed = kInf;
    room.players[2].pilot.ejection = -kInf;
    room.players[3].pilot.ammo[0] = -5;
    room.players[3].pilot.homing_target = -300;
    room.players[3].pilot.shots[2] = 70000;
    room.revision = 0x1'0000'0000ull;
    room.outcome = "";
    room.world.kills = -1;
    room.world.counters[0] = -25;
    room.world.counters[1] = std::numeric_limits<int>::min();
    room.world.missionFlags = 0xFFFFFFFFu;
    room.world.pickups.push_back({{1.0f, 2.0f, 3.0f}, 7, true, 0xFFFFFFFFu});
    WeaponEffect effect;
    effect.model = -1;
    effect.weapon = 0x80000000u;
    room.world.effects.push_back(effect);
    room.world.sounds.push_back({SoundEvent::kExplosion, -1, {0.5f, 0.25f, 1e30f}});
    const Target copy = room.world.targets.front();
    while (room.world.targets.size() < 300) room.world.targets.push_back(copy);
    EXPECT_EQ(snapshotCbor(room, 0xFFFF'FFFF'FFFFull), throughJson(room, 0xFFFF'FFFF'FFFFull)) << "edge values";

    room.players.clear();
    room.world.targets.clear();
    room.world.pickups.clear();
    room.world.effects.clear();
    room.world.sounds.clear();
    room.world.projectiles.clear();
    EXPECT_EQ(snapshotCbor(room, 0), throughJson(room, 0)) << "an empty room and world";
}

}  // namespace
}  // namespace bastion::coop
