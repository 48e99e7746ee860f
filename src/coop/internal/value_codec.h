#pragma once

// JSON forms of the small game values that travel inside co-op documents.
// Found by the JSON library through argument-dependent lookup, so arrays and
// vectors of these types convert element by element. Readers require every
// member and throw the JSON library's exceptions on a missing member or a
// wrong type; a failure part-way leaves the target partly overwritten.

#include <nlohmann/json.hpp>

#include "world/effect.h"
#include "world/input.h"
#include "world/math.h"
#include "world/pickup.h"
#include "world/pilot.h"
#include "world/projectile.h"
#include "world/sound_event.h"

namespace bastion {

void to_json(nlohmann::json& out, const Vec3& v);
void from_json(const nlohmann::json& in, Vec3& v);
void to_json(nlohmann::json& out, const Quaternion& q);
void from_json(const nlohmann::json& in, Quaternion& q);
void to_json(nlohmann::json& out, const HandPose& pose);
void from_json(const nlohmann::json& in, HandPose& pose);
void to_json(nlohmann::json& out, const Arm& arm);
void from_json(const nlohmann::json& in, Arm& arm);
void to_json(nlohmann::json& out, const Missile& missile);
void from_json(const nlohmann::json& in, Missile& missile);
void to_json(nlohmann::json& out, const Projectile& projectile);
void from_json(const nlohmann::json& in, Projectile& projectile);
// A fragment model number that is negative on the wire is refused.
void to_json(nlohmann::json& out, const WeaponEffect& effect);
void from_json(const nlohmann::json& in, WeaponEffect& effect);
void to_json(nlohmann::json& out, const Pickup& pickup);
void from_json(const nlohmann::json& in, Pickup& pickup);
void to_json(nlohmann::json& out, const SoundEvent& sound);
void from_json(const nlohmann::json& in, SoundEvent& sound);

}  // namespace bastion
