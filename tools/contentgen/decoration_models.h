#pragma once

#include <filesystem>
#include <vector>

#include <nlohmann/json.hpp>

#include "contentgen/gameplay_models.h"

namespace bastion::contentgen {

// The models of the "models" folder: the five pickup models "pickup-0" to
// "pickup-4", the debris model "effect-debris" and the fragments
// "fragment-1" to "fragment-3".
std::vector<NamedModel> decorationModels();

// "models/manifest.json": every model of the folder by name, and the pickup
// mesh shown for each of the 32 pickup kinds.
nlohmann::json modelManifest(const std::vector<NamedModel>& models);

// Writes the manifest and every decoration model into `modelsFolder`.
void writeDecorationModels(const std::filesystem::path& modelsFolder);

}  // namespace bastion::contentgen
