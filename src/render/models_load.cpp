#include <stdexcept>
#include <vector>

#include <GL/glew.h>

#include "render/internal/arm_rig_read.h"
#include "render/internal/bounded_json.h"
#include "render/internal/gl_objects.h"
#include "render/internal/model_file.h"
#include "render/internal/model_manifest.h"
#include "render/renderer.h"
#include "world/decoded_json.h"

namespace bastion {
namespace {

// No file within the budgets comes near these sizes.
constexpr std::uintmax_t kMaxManifestBytes = 4u << 20;
constexpr std::uintmax_t kMaxRigBytes = 1u << 20;
constexpr std::uintmax_t kMaxModelBytes = 64u << 20;

Renderer::Model upload(const ModelVertices& vertices) {
    Renderer::Model model;
    createStaticVertices(vertices.floats.data(), static_cast<GLsizeiptr>(vertices.floats.size() * sizeof(float)),
                         model.vertexArray, model.buffer);
    constexpr GLsizei kStride = kModelVertexFloats * sizeof(float);
    const GLint sizes[4] = {3, 3, 3, 1};
    std::size_t offset = 0;
    for (GLuint attribute = 0; attribute < 4; ++attribute) {
        glEnableVertexAttribArray(attribute);
        glVertexAttribPointer(attribute, sizes[attribute], GL_FLOAT, GL_FALSE, kStride,
                              reinterpret_cast<const void*>(offset * sizeof(float)));
        offset += static_cast<std::size_t>(sizes[attribute]);
    }
    model.count = vertices.count();
    model.min = vertices.min;
    model.max = vertices.max;
    return model;
}

}  // namespace

std::filesystem::path modelFilePath(const std::filesystem::path& modelsFolder, const std::string& file) {
    // The second campaign's shared models win over same-named ones.
    const std::filesystem::path shared = modelsFolder.parent_path() / "sb2/shared/models" / file;
    return entryExists(shared) ? shared : modelsFolder / file;
}

void Renderer::loadModels(const std::filesystem::path& modelsFolder) {
    const std::optional<nlohmann::json> manifestDocument = readBoundedJson(
        modelsFolder / "manifest.json", kMaxManifestBytes, "Invalid original model manifest");
    if (!manifestDocument) throw std::runtime_error("Decode original models with tools/decode_models first");
    const ModelManifest manifest = readModelManifest(*manifestDocument);
    pickupTypes = manifest.pickupTypes;

    const HeldPlacement held =
        readArmRig(readRequiredJson(modelsFolder / "rig.json", kMaxRigBytes, "Invalid hand rig"), armRig);

    // Each entry's file is named and read in its turn, so the first fault in
    // that order is the one reported.
    std::vector<float> walkerVertices;
    for (const auto& [name, entry] : manifestDocument->at("models").get_ref<const nlohmann::json::object_t&>()) {
        const std::filesystem::path path = modelFilePath(modelsFolder, modelFileName(entry));
        const nlohmann::json document = readRequiredJson(path, kMaxModelBytes, "Original model exceeds budget");
        ModelVertices vertices = buildModelVertices(document, classifyModel(name, held), held.sourcePivot);
        models.emplace(name, upload(vertices));
        if (name == "stormbastion") walkerVertices = std::move(vertices.floats);
    }
    glBindVertexArray(cubeVertexArray);
    loadWalkerRigs(modelsFolder, walkerVertices);
}

}  // namespace bastion
