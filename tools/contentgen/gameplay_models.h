#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "contentgen/model_shape.h"

namespace bastion::contentgen {

// Every placed-object type has an entry in the object catalogue.
inline constexpr int kObjectTypeCount = 23;
inline constexpr int kUnitTypeCount = 23;

struct NamedModel {
    std::string name;
    ModelShape shape;
};

// Every model that the missions name: objects, wrecks, units and variants.
std::vector<NamedModel> gameplayModels();

// Top-level "objects": health, model, wreck and debris of each object type.
nlohmann::json objectCatalogue();
// Top-level "dynamic_models": unit type (decimal text) to model name.
nlohmann::json dynamicModels();
// Top-level "variants": replacement models of guns, tanks, helicopters,
// transports and trailers.
nlohmann::json variantModels();

// Writes <name>.json of every gameplay model into `folder`.
void writeGameplayModels(const std::filesystem::path& folder);

}  // namespace bastion::contentgen
