#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

#include <GL/glew.h>

#include "render/internal/gl_objects.h"
#include "render/internal/pose_matrix.h"
#include "render/internal/transforms.h"
#include "render/internal/world_atlas.h"
#include "render/renderer.h"
#include "world/world.h"

namespace bastion {
namespace {

static_assert(sizeof(WorldVertex) == 40, "world vertices are uploaded as they are held");

// Facade panels sample the atlas with perspective-correct coordinates, taken
// at the centroid of the covered samples so that a pixel on a panel's edge
// does not read the neighbouring atlas tile. Flat values come from each
// triangle's provoking vertex.
const char* const kWorldVertex = R"(#version 330 core
layout(location = 0) in vec3 p;
layout(location = 1) in vec3 color;
layout(location = 2) in vec2 uv;
layout(location = 3) in float textured;
layout(location = 4) in float oneSided;
uniform mat4 transform;
out vec3 shade;
centroid out vec2 atlasUv;
flat out float sampled;
flat out float culled;
void main() {
    gl_Position = transform * vec4(p, 1.0);
    shade = color;
    atlasUv = uv;
    sampled = textured;
    culled = oneSided;
}
)";

const char* const kWorldFragment = R"(#version 330 core
in vec3 shade;
centroid in vec2 atlasUv;
flat in float sampled;
flat in float culled;
uniform sampler2D atlas;
out vec4 colour;
void main() {
    if (culled > 0.5 && !gl_FrontFacing) discard;
    colour = sampled > 0.5 ? texture(atlas, atlasUv) : vec4(shade, 1.0);
}
)";

GLuint buildWorldProgram() {
    std::string log;
    const GLuint vertex = compileStage(GL_VERTEX_SHADER, kWorldVertex, log);
    if (vertex == 0) throw std::runtime_error("World shader compile failed");
    const GLuint fragment = compileStage(GL_FRAGMENT_SHADER, kWorldFragment, log);
    if (fragment == 0) {
        glDeleteShader(vertex);
        throw std::runtime_error("World shader compile failed");
    }
    const GLuint program = linkStages(vertex, fragment);
    if (program == 0) throw std::runtime_error("World shader link failed");
    return program;
}

Renderer::Model uploadWorldMesh(const std::vector<WorldVertex>& mesh) {
    Renderer::Model model;
    if (mesh.empty()) return model;
    model.min = {1e9f, 1e9f, 1e9f};
    model.max = {-1e9f, -1e9f, -1e9f};
    for (const WorldVertex& vertex : mesh) {
        model.min = {std::min(model.min.x, vertex.position.x), std::min(model.min.y, vertex.position.y),
                     std::min(model.min.z, vertex.position.z)};
        model.max = {std::max(model.max.x, vertex.position.x), std::max(model.max.y, vertex.position.y),
                     std::max(model.max.z, vertex.position.z)};
    }
    createStaticVertices(mesh.data(), static_cast<GLsizeiptr>(mesh.size() * sizeof(WorldVertex)), model.vertexArray,
                         model.buffer);
    constexpr GLint kComponents[5] = {3, 3, 2, 1, 1};
    constexpr std::size_t kOffsets[5] = {0, 12, 24, 32, 36};
    for (GLuint location = 0; location < 5; ++location) {
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(location, kComponents[location], GL_FLOAT, GL_FALSE, sizeof(WorldVertex),
                              reinterpret_cast<const void*>(kOffsets[location]));
    }
    model.count = static_cast<std::int32_t>(mesh.size());
    return model;
}

// The rig a target's mesh is posed with: the player's walker of the campaign
// whose model it wears, or the satyr; "" names no rig.
std::string rigName(const Target& target, int worldCampaign) {
    if (target.unitType == 3) {
        const int campaign = target.prototypeSource >= 0 ? target.prototypeSource : worldCampaign;
        return campaign == 0 ? "stormbastion" : "stormbastion-sb2";
    }
    if (target.unitType == 14) return "satyr";
    return "";
}

const ModelRig* rigFor(const std::map<std::string, ModelRig>& rigs, const Target& target, int worldCampaign) {
    const std::string name = rigName(target, worldCampaign);
    if (name.empty()) return nullptr;
    const auto found = rigs.find(name);
    return found == rigs.end() ? nullptr : &found->second;
}

void fillAtlas(GLuint texture, const std::vector<std::uint8_t>& pixels, AtlasSize size, bool mipmapped) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size.width, size.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    if (mipmapped) {
        glGenerateMipmap(GL_TEXTURE_2D);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 3);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    } else {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

const char* const kAtlasFiles[2] = {"atlas-day.rgba", "atlas-night.rgba"};

vant::Matrix placement(Vec3 at, float yaw, float pitch, float roll) {
    return vant::chain(vant::translation(at.x, at.y, at.z), vant::rotationY(yaw), vant::rotationX(pitch),
                       vant::rotationZ(roll));
}

// The cached place when `placement` is the one it was found for, else the
// place `find` gives, remembered.
template <typename Find>
Vec3 cachedPlace(Renderer::CachedPlace& cached, const std::array<float, 6>& placement, Find find) {
    if (!cached.known || std::memcmp(cached.placement.data(), placement.data(), sizeof placement) != 0) {
        cached.place = find();
        cached.placement = placement;
        cached.known = true;
    }
    return cached.place;
}

}  // namespace

void Renderer::drawWorld(const World& world) {
    if (world.targets.empty()) return;
    if (worldProgram == 0) {
        worldProgram = buildWorldProgram();
        worldTransformLocation = glGetUniformLocation(worldProgram, "transform");
    }

    const int key = atlasKey(world.campaign, world.prototype);
    if (key != gameplayAtlasKey) {
        const std::filesystem::path retail = gameplayDirectory.parent_path();
        if (gameplayAtlas[0] == 0) glGenTextures(2, gameplayAtlas.data());
        const std::filesystem::path folder = gameplayAtlasFolder(retail, world.campaign, world.prototype);
        const AtlasSize size = atlasSize(folder);
        for (int i = 0; i < 2; ++i) fillAtlas(gameplayAtlas[i], readGameplayAtlas(folder / kAtlasFiles[i], size), size, true);
        if (pickupAtlas[0] == 0) {
            const std::filesystem::path pickupFolder = pickupAtlasFolder(retail);
            const AtlasSize pickupSize = atlasSize(pickupFolder);
            // Both images are read before any texture is made, so a refusal
            // leaves no half-made pair behind.
            const std::vector<std::uint8_t> day = readPickupAtlas(pickupFolder / kAtlasFiles[0], pickupSize);
            const std::vector<std::uint8_t> night = readPickupAtlas(pickupFolder / kAtlasFiles[1], pickupSize);
            glGenTextures(2, pickupAtlas.data());
            fillAtlas(pickupAtlas[0], day, pickupSize, false);
            fillAtlas(pickupAtlas[1], night, pickupSize, false);
        }
        gameplayAtlasKey = key;
    }

    // Target lists only grow while a mission loads, so a World of another
    // load or with another number of targets is a new one.
    if (world.identity != uploadedWorld || targetModels.size() != world.targets.size()) {
        clearWorld();
        terrainModel = uploadWorldMesh(world.terrain);
        waterModel = uploadWorldMesh(world.waterMesh);
        for (std::size_t slot = 0; slot < pickupModels.size(); ++slot)
            pickupModels[slot] = uploadWorldMesh(world.pickupMeshes[slot]);
        targetModels.reserve(world.targets.size());
        wreckModels.reserve(world.targets.size());
        for (const Target& target : world.targets) {
            if (!target.mesh) {
                targetModels.push_back({});
            } else if (const ModelRig* rig = rigFor(rigs, target, world.campaign);
                       rig != nullptr && target.mesh->size() == static_cast<std::size_t>(rig->meshVertices)) {
                targetModels.push_back(uploadWorldMesh(partOrder(*rig, *target.mesh)));
            } else {
                targetModels.push_back(uploadWorldMesh(*target.mesh));
            }
            wreckModels.push_back(target.wreck ? uploadWorldMesh(*target.wreck) : Model{});
        }
        wreckPlaces.assign(world.targets.size(), {});
        uploadedWorld = world.identity;
    }

    const std::size_t lighting = world.night ? 1 : 0;
    glUseProgram(worldProgram);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, gameplayAtlas[lighting]);

    const auto drawWhole = [&](const Model& shown, const Matrix& M) {
        if (shown.count == 0 || !visibleWorld(shown, M)) return;
        glBindVertexArray(shown.vertexArray);
        const Matrix transform = vant::multiply(frameMatrix, M);
        glUniformMatrix4fv(worldTransformLocation, 1, GL_FALSE, transform.data());
        glDrawArrays(GL_TRIANGLES, 0, shown.count);
    };

    if (world.proceduralTerrain) {
        glEnable(GL_DEPTH_TEST);
        glDepthMask(GL_TRUE);
        drawWhole(terrainModel, vant::identity);
        drawWhole(waterModel, vant::identity);
    } else {
        // Flat ground lies on the slab below it and hides nothing.
        glDisable(GL_DEPTH_TEST);
        glDepthMask(GL_FALSE);
        drawWhole(terrainModel, vant::identity);
        glDepthMask(GL_TRUE);
        glEnable(GL_DEPTH_TEST);
    }
    glDepthFunc(GL_LEQUAL);

    for (std::size_t i = 0; i < world.targets.size(); ++i) {
        const Target& target = world.targets[i];
        if (!target.active || target.hidden) continue;
        const bool destroyed = target.health <= 0.0f;
        const Vec3 at = destroyed ? cachedPlace(wreckPlaces[i],
                                                {target.home.x, target.home.y, target.home.z, target.homeYaw,
                                                 target.pitch, target.roll},
                                                [&] { return world.wreckPosition(target); })
                                  : target.home;
        const Matrix M = placement(at, target.homeYaw, target.pitch, target.roll);
        if (destroyed) {
            glEnable(GL_POLYGON_OFFSET_FILL);
            glPolygonOffset(-1.0f, -1.0f);
            drawWhole(wreckModels[i], M);
            glDisable(GL_POLYGON_OFFSET_FILL);
            continue;
        }
        const ModelRig* rig = rigFor(rigs, target, world.campaign);
        const Model& intact = targetModels[i];
        if (rig == nullptr || intact.count != rig->meshVertices) {
            drawWhole(intact, M);
            continue;
        }
        const WalkerPose pose = poseWalker(*rig, target.trackPhase, std::hypot(target.velocity.x, target.velocity.z),
                                           wrap(target.turretYaw - target.homeYaw));
        glBindVertexArray(intact.vertexArray);
        for (std::size_t j = 0; j < rig->parts.size(); ++j) {
            const WalkerPart& part = rig->parts[j];
            if (part.noFaces) continue;
            const Matrix P = vant::multiply(M, poseMatrix(pose.parts[j]));
            const Model bounds{intact.vertexArray, intact.buffer, intact.count, part.low - Vec3{0.15f, 0.15f, 0.15f},
                               part.high + Vec3{0.15f, 0.15f, 0.15f}};
            if (!visibleWorld(bounds, P)) continue;
            const Matrix transform = vant::multiply(frameMatrix, P);
            glUniformMatrix4fv(worldTransformLocation, 1, GL_FALSE, transform.data());
            glDrawArrays(GL_TRIANGLES, rig->spans[j].first, rig->spans[j].second);
        }
    }

    glBindTexture(GL_TEXTURE_2D, pickupAtlas[lighting]);
    pickupPlaces.resize(world.pickups.size());
    const u32 ownBit = world.pilot.slot >= 0 && world.pilot.slot < 32 ? 1u << world.pilot.slot : 0u;
    for (std::size_t k = 0; k < world.pickups.size(); ++k) {
        const Pickup& pickup = world.pickups[k];
        if (world.coop ? (pickup.collectedBy & ownBit) != 0 : pickup.collected) continue;
        const u32 kind = static_cast<u32>(pickup.kind) & 31u;
        const std::size_t slot = world.pickupSlots[kind];
        const Model& shown = pickupModels.at(slot);
        const Vec3 at = cachedPlace(
            pickupPlaces[k], {pickup.position.x, pickup.position.y, pickup.position.z, static_cast<float>(kind), 0, 0},
            [&] { return world.pickupPosition(pickup); });
        drawWhole(shown, vant::translation(at.x, at.y, at.z));
    }

    glDepthFunc(GL_LESS);
    glUseProgram(basicProgram);
    glBindVertexArray(cubeVertexArray);
}

}  // namespace bastion
