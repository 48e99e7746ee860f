#include <cstring>
#include <optional>
#include <stdexcept>

#include <GL/glew.h>

#include "render/internal/bounded_json.h"
#include "render/renderer.h"
#include "render/walker_rig_read.h"

namespace bastion {
namespace {

constexpr std::uintmax_t kMaxRigFileBytes = 64u << 20;
constexpr std::uintmax_t kMaxWalkerFileBytes = 64u << 20;

// One model vertex as the loader keeps it: ten floats.
struct ModelVertex {
    float values[10];
};

}  // namespace

void Renderer::loadWalkerRigs(const std::filesystem::path& modelsFolder, const std::vector<float>& walkerVertices) {
    std::optional<nlohmann::json> document =
        readBoundedJson(modelsFolder / "animation-rigs.json", kMaxRigFileBytes, "Invalid walker animation budget");
    if (!document) {
        // Always the models folder's own walker file, whichever file the
        // uploaded walker mesh came from; the check below tells when the two
        // disagree.
        document = synthesizeWalkerRig(readRequiredJson(modelsFolder / "stormbastion.json", kMaxWalkerFileBytes,
                                                        "Original model exceeds budget"));
    }
    for (auto& [name, rig] : readWalkerRigs(*document)) rigs.emplace(name, std::move(rig));

    const auto walkerRig = rigs.find("stormbastion");
    if (walkerRig == rigs.end()) return;
    const ModelRig& rig = walkerRig->second;
    if (walkerVertices.size() != static_cast<std::size_t>(rig.meshVertices) * 10)
        throw std::runtime_error("Player animation/model mismatch");
    std::vector<ModelVertex> vertices(static_cast<std::size_t>(rig.meshVertices));
    std::memcpy(vertices.data(), walkerVertices.data(), walkerVertices.size() * sizeof(float));
    const std::vector<ModelVertex> ordered = partOrder(rig, vertices);
    glBindBuffer(GL_ARRAY_BUFFER, models.at("stormbastion").buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(ordered.size() * sizeof(ModelVertex)), ordered.data(),
                 GL_STATIC_DRAW);
}

}  // namespace bastion
