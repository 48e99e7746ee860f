#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "contentgen/gameplay_models.h"

namespace bastion::contentgen {

// The models of the "models" folder: the five pickup models "pickup-0" to
// "pickup-4", the debris model "effect-debris" and the fragments
// "fragment-1" to "fragment-3".
std::vector<NamedModel> decorationModels();

// "models/manifest.json": every named model's file, and the pickup mesh
// shown for each of the 32 pickup kinds.
nlohmann::json modelManifest(const std::vector<std::string>& names);

// Writes the whole "models" folder: the decorations, the player walker, its
// arms, held models and weapons, the projectiles, the manifest and the arm
// rig.
void writeModelsFolder(const std::filesystem::path& modelsFolder);

}  // namespace bastion::contentgen
