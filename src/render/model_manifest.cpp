#include "render/internal/model_manifest.h"

#include <filesystem>
#include <stdexcept>

#include "world/json_numbers.h"

namespace bastion {

using nlohmann::json;

bool bareFileName(const std::string& file) {
    if (file.empty() || file == "." || file == "..") return false;
    return std::filesystem::path(file).filename().string() == file;
}

ModelManifest readModelManifest(const json& document) {
    if (document.at("schema").get<double>() != 1.0 || document.at("source_block").get<double>() != 4.0)
        throw std::runtime_error("Invalid original model manifest");

    ModelManifest manifest;
    const json& pickupTypes = document.at("pickup_types");
    pickupTypes.get_ref<const json::array_t&>();
    std::array<std::int64_t, 32> slots{};
    for (std::size_t kind = 0; kind < slots.size(); ++kind) slots[kind] = wholeNumber(pickupTypes.at(kind), -1);
    for (std::size_t kind = 0; kind < slots.size(); ++kind) {
        // Readers index the five pickup meshes with it.
        if (slots[kind] < 0 || slots[kind] > 4) throw std::runtime_error("Invalid pickup model mapping");
        manifest.pickupTypes[kind] = static_cast<std::uint32_t>(slots[kind]);
    }
    return manifest;
}

std::string modelFileName(const json& entry) {
    std::string file = entry.at("file").get<std::string>();
    if (!bareFileName(file)) throw std::runtime_error("Invalid model filename");
    return file;
}

}  // namespace bastion
