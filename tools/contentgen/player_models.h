#pragma once

#include <filesystem>
#include <vector>

#include <nlohmann/json.hpp>

#include "contentgen/gameplay_models.h"

namespace bastion::contentgen {

// The player walker "stormbastion": its model file with the 16 "segments"
// that the game turns into its rig (torso, right leg, left leg, left arm,
// right arm, backpack).
nlohmann::json playerWalkerFile();

// The enemy walker: the same model and segments in a hostile livery, so that
// its mesh has the player walker's vertex count and the game poses it with
// the player walker's rig.
nlohmann::json hostileWalkerFile();

// The arm models (shoulders, upper arms, forearms), the five held models,
// the thirteen weapon models and the projectile models of the "models"
// folder.
std::vector<NamedModel> armAndWeaponModels();

// "models/rig.json": arm lengths, the five held models with their muzzles,
// the held-model alignment and the source pivot.
nlohmann::json armRigDocument();

}  // namespace bastion::contentgen
