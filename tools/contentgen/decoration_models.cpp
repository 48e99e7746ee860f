#include "contentgen/decoration_models.h"

#include "contentgen/json_file.h"
#include "contentgen/palette.h"
#include "contentgen/player_models.h"

namespace bastion::contentgen {
namespace {

// Pickup meshes: ammunition crate, repair kit, fuel canister, supply pyramid
// and data beacon.
ModelShape pickupShape(int slot) {
    ModelShape shape;
    switch (slot) {
    case 0: shape.box({0, 0, 0}, {1.2, 0.8, 0.8}, material(kOlive, 13)); break;
    case 1:
        shape.box({0, 0, 0}, {1.0, 1.0, 1.0}, material(kChalk, 14));
        shape.box({0, 1.0, 0}, {0.6, 0.2, 0.2}, material(kSignalRed, 14));
        break;
    case 2: shape.cylinder({0, 0, 0}, 0.5, 1.2, 8, material(kAmber, 14), true); break;
    case 3: shape.pyramid({0, 0, 0}, 1.2, 1.2, material(kTeal, 14)); break;
    default:
        shape.cylinder({0, 0, 0}, 0.2, 1.6, 6, material(kSoot, 10), false);
        shape.decal({-0.4, 1.6, 0}, {0.4, 1.6, 0}, {0.4, 2.2, 0}, {-0.4, 2.2, 0}, 3);
        break;
    }
    return shape;
}

ModelShape shardShape(double size, int hue) {
    ModelShape shape;
    shape.pyramid({0, 0, 0}, size, size * 0.7, material(hue, 9));
    return shape;
}

constexpr int kPickupSlots = 5;

}  // namespace

std::vector<NamedModel> decorationModels() {
    std::vector<NamedModel> models;
    for (int slot = 0; slot < kPickupSlots; ++slot) models.push_back({"pickup-" + std::to_string(slot), pickupShape(slot)});
    models.push_back({"effect-debris", shardShape(0.6, kSoot)});
    models.push_back({"fragment-1", shardShape(0.8, kConcrete)});
    models.push_back({"fragment-2", shardShape(1.2, kRust)});
    models.push_back({"fragment-3", shardShape(0.5, kUmber)});
    return models;
}

nlohmann::json modelManifest(const std::vector<std::string>& names) {
    nlohmann::json entries = nlohmann::json::object();
    for (const std::string& name : names) entries[name] = {{"file", name + ".json"}};
    nlohmann::json pickupTypes = nlohmann::json::array();
    for (int kind = 0; kind < 32; ++kind) pickupTypes.push_back(kind % kPickupSlots);
    return {{"schema", 1}, {"source_block", 4}, {"pickup_types", pickupTypes}, {"models", entries}};
}

void writeModelsFolder(const std::filesystem::path& modelsFolder) {
    std::vector<NamedModel> models = decorationModels();
    for (NamedModel& model : armAndWeaponModels()) models.push_back(std::move(model));
    std::vector<std::string> names{"stormbastion"};
    for (const NamedModel& model : models) {
        writeJsonFile(modelsFolder / (model.name + ".json"), model.shape.toJson());
        names.push_back(model.name);
    }
    writeJsonFile(modelsFolder / "stormbastion.json", playerWalkerFile());
    writeJsonFile(modelsFolder / "manifest.json", modelManifest(names));
    writeJsonFile(modelsFolder / "rig.json", armRigDocument());
}

}  // namespace bastion::contentgen
