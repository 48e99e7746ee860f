#include "coop/internal/snapshot_cbor.h"

#include "coop/internal/cbor_writer.h"

namespace bastion::coop {
namespace {

// Members are written in the sorted order of their keys, as a JSON object
// holds them; the field sets are those of the JSON writers.

void write(CborWriter& out, const Vec3& v) {
    out.map(3);
    out.key("x");
    out.real(v.x);
    out.key("y");
    out.real(v.y);
    out.key("z");
    out.real(v.z);
}

void write(CborWriter& out, const Quaternion& q) {
    out.map(4);
    out.key("w");
    out.real(q.w);
    out.key("x");
    out.real(q.x);
    out.key("y");
    out.real(q.y);
    out.key("z");
    out.real(q.z);
}

void write(CborWriter& out, const Arm& arm) {
    out.map(8);
    out.key("aim");
    write(out, arm.aim);
    out.key("elbow");
    write(out, arm.elbow);
    out.key("forward");
    write(out, arm.forward);
    out.key("grip");
    write(out, arm.grip);
    out.key("muzzle");
    write(out, arm.muzzle);
    out.key("shoulder");
    write(out, arm.shoulder);
    out.key("tracked");
    out.boolean(arm.tracked);
    out.key("wrist");
    write(out, arm.wrist);
}

void write(CborWriter& out, const Missile& missile) {
    out.map(8);
    out.key("active");
    out.boolean(missile.active);
    out.key("headPitch");
    out.real(missile.headPitch);
    out.key("headYaw");
    out.real(missile.headYaw);
    out.key("launchYaw");
    out.real(missile.launchYaw);
    out.key("life");
    out.real(missile.life);
    out.key("pitch");
    out.real(missile.pitch);
    out.key("position");
    write(out, missile.position);
    out.key("yaw");
    out.real(missile.yaw);
}

void write(CborWriter& out, const Projectile& p) {
    out.map(14);
    out.key("damage");
    out.real(p.damage);
    out.key("homingTarget");
    out.signedInt(p.homingTarget);
    out.key("hull");
    out.real(p.hull);
    out.key("intercepted");
    out.boolean(p.intercepted);
    out.key("kind");
    out.signedInt(static_cast<int>(p.kind));
    out.key("life");
    out.real(p.life);
    out.key("mount");
    out.signedInt(p.mount);
    out.key("owner");
    out.signedInt(p.owner);
    out.key("position");
    write(out, p.position);
    out.key("radius");
    out.real(p.radius);
    out.key("shooter");
    out.signedInt(p.shooter);
    out.key("velocity");
    write(out, p.velocity);
    out.key("victim");
    out.signedInt(p.victim);
    out.key("weapon");
    out.signedInt(static_cast<int>(p.weapon));
}

void write(CborWriter& out, const WeaponEffect& e) {
    out.map(9);
    out.key("age");
    out.real(e.age);
    out.key("damageRadius");
    out.real(e.damageRadius);
    out.key("damageRate");
    out.real(e.damageRate);
    out.key("direction");
    write(out, e.direction);
    out.key("kind");
    out.unsignedInt(static_cast<unsigned>(e.kind));
    out.key("model");
    out.unsignedInt(static_cast<unsigned>(e.model));
    out.key("position");
    write(out, e.position);
    out.key("size");
    out.real(e.size);
    out.key("weapon");
    out.signedInt(static_cast<int>(e.weapon));
}

void write(CborWriter& out, const Pickup& pickup) {
    out.map(4);
    out.key("collected");
    out.boolean(pickup.collected);
    out.key("collectedBy");
    out.unsignedInt(pickup.collectedBy);
    out.key("kind");
    out.signedInt(pickup.kind);
    out.key("position");
    write(out, pickup.position);
}

void write(CborWriter& out, const SoundEvent& sound) {
    out.map(3);
    out.key("kind");
    out.unsignedInt(sound.kind);
    out.key("position");
    write(out, sound.position);
    out.key("weapon");
    out.signedInt(sound.weapon);
}

template <typename T>
void writeList(CborWriter& out, const std::vector<T>& values) {
    out.array(values.size());
    for (const T& value : values) write(out, value);
}

void reals(CborWriter& out, const float* values, std::size_t count) {
    out.array(count);
    for (std::size_t i = 0; i < count; ++i) out.real(values[i]);
}

// Held signed, sent unsigned: a negative count travels as 0.
void counts(CborWriter& out, const int* values, std::size_t count) {
    out.array(count);
    for (std::size_t i = 0; i < count; ++i) out.unsignedInt(static_cast<unsigned>(values[i] < 0 ? 0 : values[i]));
}

void write(CborWriter& out, const Pilot& pilot) {
    out.map(20);
    out.key("ammo");
    counts(out, pilot.ammo, 6);
    out.key("angles");
    reals(out, pilot.angles, 4);
    out.key("arms");
    out.array(2);
    write(out, pilot.arms[0]);
    write(out, pilot.arms[1]);
    out.key("dead");
    out.boolean(pilot.dead);
    out.key("ejection");
    out.real(pilot.ejection);
    out.key("flash");
    reals(out, pilot.flash, 2);
    out.key("gait");
    out.real(pilot.gait);
    out.key("health");
    out.real(pilot.health);
    out.key("homing_target");
    out.signedInt(pilot.homing_target);
    out.key("map_ping");
    reals(out, pilot.map_ping, 2);
    out.key("missile");
    write(out, pilot.missile);
    out.key("ping_position");
    write(out, pilot.ping_position);
    out.key("ping_target");
    out.signedInt(pilot.ping_target);
    out.key("position");
    write(out, pilot.position);
    out.key("punches");
    counts(out, pilot.punches, 2);
    out.key("shots");
    out.array(6);
    for (u32 shots : pilot.shots) out.unsignedInt(shots);
    out.key("slot");
    out.unsignedInt(static_cast<unsigned>(pilot.slot < 0 ? 0 : pilot.slot));
    out.key("status");
    out.signedInt(pilot.status);
    out.key("walk_speed");
    out.real(pilot.walk_speed);
    out.key("weapons");
    out.array(6);
    for (Weapon weapon : pilot.weapons) out.signedInt(static_cast<int>(weapon));
}

void write(CborWriter& out, const Player& member) {
    out.map(6);
    out.key("id");
    out.unsignedInt(member.id);
    out.key("loadout");
    out.array(member.loadout.size());
    for (Weapon weapon : member.loadout) out.signedInt(static_cast<int>(weapon));
    out.key("name");
    out.text(member.name);
    out.key("pilot");
    write(out, member.pilot);
    out.key("ready");
    out.boolean(member.ready);
    out.key("slot");
    out.unsignedInt(member.slot);
}

void writeTarget(CborWriter& out, const Target& t) {
    out.array(14);
    write(out, t.position);
    write(out, t.extent);
    write(out, t.home);
    out.real(t.homeYaw);
    out.real(t.health);
    out.boolean(t.active);
    out.boolean(t.hidden);
    out.real(t.pitch);
    out.real(t.roll);
    out.real(t.turretYaw);
    out.real(t.stateTimer);
    out.real(t.alertTimer);
    out.real(t.trackPhase);
    write(out, t.velocity);
}

void writeWorld(CborWriter& out, const World& world) {
    out.map(9);
    out.key("counters");
    out.array(3);
    for (int counter : world.counters) out.signedInt(counter);
    out.key("destroyed");
    out.unsignedInt(static_cast<unsigned>(world.kills < 0 ? 0 : world.kills));
    out.key("effects");
    writeList(out, world.effects);
    out.key("elapsed");
    out.real(world.missionTime);
    out.key("flags");
    out.unsignedInt(world.missionFlags);
    out.key("pickups");
    writeList(out, world.pickups);
    out.key("projectiles");
    writeList(out, world.projectiles);
    out.key("sounds");
    writeList(out, world.sounds);
    out.key("targets");
    out.array(world.targets.size());
    for (const Target& target : world.targets) writeTarget(out, target);
}

}  // namespace

std::vector<std::uint8_t> snapshotCbor(const Room& room, std::uint64_t tick) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(8192);
    CborWriter out(bytes);
    out.map(16);
    out.key("campaign");
    out.signedInt(room.progression.rules.campaign);
    out.key("code");
    out.text(room.code);
    out.key("completed");
    out.unsignedInt(room.progression.completed);
    out.key("difficulty");
    out.text(room.hard == 1 ? "hard" : "normal");
    out.key("host");
    out.unsignedInt(room.host);
    out.key("mission");
    out.signedInt(room.mission);
    out.key("outcome");
    out.text(room.outcome);
    out.key("phase");
    out.signedInt(static_cast<int>(room.phase));
    out.key("players");
    out.array(room.players.size());
    for (const Player& member : room.players) write(out, member);
    out.key("revision");
    out.unsignedInt(room.revision);
    out.key("room");
    out.unsignedInt(room.id);
    out.key("round");
    out.unsignedInt(room.round);
    out.key("selection");
    out.unsignedInt(room.selection);
    out.key("tick");
    out.unsignedInt(tick);
    out.key("type");
    out.text("state");
    out.key("world");
    writeWorld(out, room.world);
    return bytes;
}

}  // namespace bastion::coop
