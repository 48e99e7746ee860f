// Feeds decoded model files to the readers a mission load calls: the model
// mesh builder (gameplay models) and the decoration loader (manifest,
// fragment shapes, pickup meshes, and the colour tables they use). The first
// byte picks the reader and its settings; the rest is the file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "demo_tree.h"
#include "fuzz_verdict.h"
#include "json_mutator.h"
#include "world/decoded_json.h"
#include "world/internal/mission_loading.h"
#include "world/internal/model_mesh.h"
#include "world/world.h"

namespace {

using bastion::fuzzing::demoTree;

// Files the decoration loader reads, replaced one at a time.
const std::array<const char*, 6> kDecorationFiles = {
    "models/manifest.json",      "models/pickup-0.json",           "models/pickup-3.json",
    "models/fragment-1.json",    "models/effect-debris.json",      "sb2/shared/gameplay/missions.json",
};

// The first JSON value of the bytes, as the file reader takes it.
nlohmann::json parse(const std::uint8_t* data, std::size_t size) {
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
    nlohmann::json document;
    stream >> document;
    return document;
}

void buildMesh(std::uint8_t selector, const std::uint8_t* data, std::size_t size) {
    static const std::array<nlohmann::json, 2> missions = {
        bastion::readJson(demoTree() / "gameplay/missions.json"),
        bastion::readJson(demoTree() / "sb2/gameplay/missions.json")};
    const int campaign = selector & 1;
    const nlohmann::json& document = missions[static_cast<std::size_t>(campaign)];
    const nlohmann::json& mission = document.at("missions").at((selector >> 1) & 7);

    bastion::World world;
    world.campaign = campaign;
    bastion::ModelMeshContext context{{}, world, false, {}, {}, mission, bastion::decodeLight(mission.at("light")),
                                      document};
    bastion::fuzzing::refuseOrPass([&] {
        context.documents.emplace("fuzzed", parse(data, size));
        // Unit meshes (-1), a replaced type and the one that ignores the night.
        const int objectType = (selector >> 4) % 3 == 0 ? -1 : (selector >> 4) % 3 == 1 ? 1 : 22;
        bastion::Target target;
        target.homeYaw = static_cast<float>(selector) * 0.37f;
        target.mesh = bastion::buildModelMesh(context, "fuzzed", target.homeYaw, objectType);
        bastion::fitToMesh(target);
    });
}

void loadDecorations(std::uint8_t selector, const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path file = demoTree() / kDecorationFiles[((selector >> 1) & 7u) % kDecorationFiles.size()];
    const std::string original = bastion::fuzzing::readFile(file);
    bastion::fuzzing::writeFile(file, reinterpret_cast<const char*>(data), size);
    bastion::World world;
    world.campaign = (selector >> 4) & 1;
    world.missionIndex = (selector >> 5) & 7;
    bastion::fuzzing::refuseOrPass([&] { world.loadDecorations(demoTree()); });
    bastion::fuzzing::writeFile(file, original.data(), original.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    if (data[0] & 1)
        loadDecorations(data[0], data + 1, size - 1);
    else
        buildMesh(data[0] >> 1, data + 1, size - 1);
    return 0;
}
