#include "coop/internal/value_codec.h"

#include "coop/internal/wire_numbers.h"

namespace bastion {

using nlohmann::json;
using coop::wireBool;
using coop::wireCount;
using coop::wireFloat;
using coop::wireInteger;

namespace {

// Floats travel widened to double so that the reader gets the same float back.
double wide(float value) { return static_cast<double>(value); }

}  // namespace

void to_json(json& out, const Vec3& v) { out = json{{"x", wide(v.x)}, {"y", wide(v.y)}, {"z", wide(v.z)}}; }

void from_json(const json& in, Vec3& v) {
    v.x = wireFloat(in.at("x"));
    v.y = wireFloat(in.at("y"));
    v.z = wireFloat(in.at("z"));
}

void to_json(json& out, const Quaternion& q) {
    out = json{{"x", wide(q.x)}, {"y", wide(q.y)}, {"z", wide(q.z)}, {"w", wide(q.w)}};
}

void from_json(const json& in, Quaternion& q) {
    q.x = wireFloat(in.at("x"));
    q.y = wireFloat(in.at("y"));
    q.z = wireFloat(in.at("z"));
    q.w = wireFloat(in.at("w"));
}

void to_json(json& out, const HandPose& pose) {
    out = json{{"position", pose.position}, {"grip", pose.grip}, {"aim", pose.aim}, {"valid", pose.valid}};
}

void from_json(const json& in, HandPose& pose) {
    in.at("position").get_to(pose.position);
    in.at("grip").get_to(pose.grip);
    in.at("aim").get_to(pose.aim);
    pose.valid = wireBool(in.at("valid"));
}

void to_json(json& out, const Arm& arm) {
    out = json{{"shoulder", arm.shoulder}, {"elbow", arm.elbow}, {"wrist", arm.wrist}, {"muzzle", arm.muzzle},
               {"forward", arm.forward},   {"grip", arm.grip},   {"aim", arm.aim},     {"tracked", arm.tracked}};
}

void from_json(const json& in, Arm& arm) {
    in.at("shoulder").get_to(arm.shoulder);
    in.at("elbow").get_to(arm.elbow);
    in.at("wrist").get_to(arm.wrist);
    in.at("muzzle").get_to(arm.muzzle);
    in.at("forward").get_to(arm.forward);
    in.at("grip").get_to(arm.grip);
    in.at("aim").get_to(arm.aim);
    arm.tracked = wireBool(in.at("tracked"));
}

void to_json(json& out, const Missile& missile) {
    out = json{{"active", missile.active},       {"position", missile.position},     {"yaw", wide(missile.yaw)},
               {"pitch", wide(missile.pitch)},   {"life", wide(missile.life)},       {"launchYaw", wide(missile.launchYaw)},
               {"headYaw", wide(missile.headYaw)}, {"headPitch", wide(missile.headPitch)}};
}

void from_json(const json& in, Missile& missile) {
    missile.active = wireBool(in.at("active"));
    in.at("position").get_to(missile.position);
    missile.yaw = wireFloat(in.at("yaw"));
    missile.pitch = wireFloat(in.at("pitch"));
    missile.life = wireFloat(in.at("life"));
    missile.launchYaw = wireFloat(in.at("launchYaw"));
    missile.headYaw = wireFloat(in.at("headYaw"));
    missile.headPitch = wireFloat(in.at("headPitch"));
}

void to_json(json& out, const Projectile& p) {
    out = json{{"position", p.position},
               {"velocity", p.velocity},
               {"life", wide(p.life)},
               {"damage", wide(p.damage)},
               {"mount", p.mount},
               {"kind", static_cast<int>(p.kind)},
               {"owner", p.owner},
               {"victim", p.victim},
               {"radius", wide(p.radius)},
               {"weapon", static_cast<int>(p.weapon)},
               {"shooter", p.shooter},
               {"homingTarget", p.homingTarget},
               {"hull", wide(p.hull)},
               {"intercepted", p.intercepted}};
}

void from_json(const json& in, Projectile& p) {
    in.at("position").get_to(p.position);
    in.at("velocity").get_to(p.velocity);
    p.life = wireFloat(in.at("life"));
    p.damage = wireFloat(in.at("damage"));
    p.mount = wireInteger<int>(in.at("mount"));
    p.kind = static_cast<ProjectileKind>(wireInteger<int>(in.at("kind")));
    p.owner = wireInteger<int>(in.at("owner"));
    p.victim = wireInteger<int>(in.at("victim"));
    p.radius = wireFloat(in.at("radius"));
    p.weapon = static_cast<Weapon>(wireInteger<int>(in.at("weapon")));
    p.shooter = wireInteger<int>(in.at("shooter"));
    p.homingTarget = wireInteger<int>(in.at("homingTarget"));
    p.hull = wireFloat(in.at("hull"));
    p.intercepted = wireBool(in.at("intercepted"));
}

void to_json(json& out, const WeaponEffect& e) {
    out = json{{"kind", static_cast<unsigned>(e.kind)},
               {"position", e.position},
               {"direction", e.direction},
               {"weapon", static_cast<int>(e.weapon)},
               {"age", wide(e.age)},
               {"size", wide(e.size)},
               {"model", static_cast<unsigned>(e.model)},
               {"damageRadius", wide(e.damageRadius)},
               {"damageRate", wide(e.damageRate)}};
}

void from_json(const json& in, WeaponEffect& e) {
    e.kind = static_cast<WeaponEffect::Kind>(wireCount(in.at("kind")));
    in.at("position").get_to(e.position);
    in.at("direction").get_to(e.direction);
    e.weapon = static_cast<Weapon>(wireInteger<int>(in.at("weapon")));
    e.age = wireFloat(in.at("age"));
    e.size = wireFloat(in.at("size"));
    e.model = wireCount(in.at("model"));
    e.damageRadius = wireFloat(in.at("damageRadius"));
    e.damageRate = wireFloat(in.at("damageRate"));
}

void to_json(json& out, const Pickup& pickup) {
    out = json{{"position", pickup.position},
               {"kind", pickup.kind},
               {"collected", pickup.collected},
               {"collectedBy", pickup.collectedBy}};
}

void from_json(const json& in, Pickup& pickup) {
    in.at("position").get_to(pickup.position);
    pickup.kind = wireInteger<int>(in.at("kind"));
    pickup.collected = wireBool(in.at("collected"));
    pickup.collectedBy = wireInteger<u32>(in.at("collectedBy"));
}

void to_json(json& out, const SoundEvent& sound) {
    out = json{{"kind", sound.kind}, {"weapon", sound.weapon}, {"position", sound.position}};
}

void from_json(const json& in, SoundEvent& sound) {
    sound.kind = wireInteger<u32>(in.at("kind"));
    sound.weapon = wireInteger<int>(in.at("weapon"));
    in.at("position").get_to(sound.position);
}

}  // namespace bastion
