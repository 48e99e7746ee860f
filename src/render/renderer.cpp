#include "render/renderer.h"

#include <stdexcept>

#include <GL/glew.h>

#include "render/internal/gl_objects.h"
#include "render/internal/gl_shader.h"
#include "render/internal/unit_cube.h"

namespace bastion {
namespace {

const char* const kBasicVertex = R"(#version 330 core
layout(location = 0) in vec3 p;
layout(location = 1) in float light;
uniform mat4 transform;
out float shade;
void main() {
    shade = light;
    gl_Position = transform * vec4(p, 1.0);
}
)";

const char* const kBasicFragment = R"(#version 330 core
in float shade;
uniform vec3 tint;
out vec4 colour;
void main() {
    colour = vec4(tint * shade, 1.0);
}
)";

void deleteModel(Renderer::Model& model) {
    if (model.buffer != 0) glDeleteBuffers(1, &model.buffer);
    if (model.vertexArray != 0) glDeleteVertexArrays(1, &model.vertexArray);
    model = {};
}

}  // namespace

Renderer::Renderer(const std::filesystem::path& cockpitDirectory) {
    basicProgram = buildProgram(kBasicVertex, kBasicFragment, "Shader link failed");
    transformLocation = glGetUniformLocation(basicProgram, "transform");
    tintLocation = glGetUniformLocation(basicProgram, "tint");

    createStaticVertices(kUnitCube.data(), sizeof kUnitCube, cubeVertexArray, cubeBuffer);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(CubeVertex), nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 1, GL_FLOAT, GL_FALSE, sizeof(CubeVertex),
                          reinterpret_cast<const void*>(offsetof(CubeVertex, light)));

    // A constructor that throws runs no destructor: free what was made.
    try {
        loadCockpit(cockpitDirectory);
        const std::filesystem::path retail = cockpitDirectory.parent_path();
        loadArt(retail / "art");
        loadModels(retail / "models");
    } catch (...) {
        releaseGlObjects();
        throw;
    }
    gameplayDirectory = cockpitDirectory.parent_path() / "gameplay";
}

Renderer::~Renderer() { releaseGlObjects(); }

// Names never made are 0, which every delete call ignores.
void Renderer::releaseGlObjects() {
    glDeleteFramebuffers(1, &sceneFramebuffer);
    glDeleteRenderbuffers(1, &sceneColour);
    glDeleteRenderbuffers(1, &sceneDepth);
    clearWorld();
    glDeleteProgram(worldProgram);
    glDeleteTextures(2, gameplayAtlas.data());
    glDeleteTextures(2, pickupAtlas.data());
    for (auto& [name, model] : models) deleteModel(model);
    for (const auto& [name, image] : textures) glDeleteTextures(1, &image.texture);
    glDeleteBuffers(1, &artBuffer);
    glDeleteVertexArrays(1, &artVertexArray);
    glDeleteProgram(artProgram);
    glDeleteBuffers(1, &cockpitBuffer);
    glDeleteVertexArrays(1, &cockpitVertexArray);
    glDeleteProgram(cockpitProgram);
    glDeleteBuffers(1, &cubeBuffer);
    glDeleteVertexArrays(1, &cubeVertexArray);
    glDeleteProgram(basicProgram);
}

void Renderer::clearWorld() {
    for (Model& model : targetModels) deleteModel(model);
    for (Model& model : wreckModels) deleteModel(model);
    deleteModel(terrainModel);
    deleteModel(waterModel);
    for (Model& model : pickupModels) deleteModel(model);
    targetModels.clear();
    wreckModels.clear();
    wreckPlaces.clear();
    pickupPlaces.clear();
    uploadedWorld = 0;
}

}  // namespace bastion
