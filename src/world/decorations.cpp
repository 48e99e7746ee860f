#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>

#include "world/decoded_json.h"
#include "world/decoded_value.h"
#include "world/internal/mesh_shading.h"
#include "world/internal/mission_file.h"
#include "world/world.h"

namespace bastion {
namespace {

using Array = nlohmann::json::array_t;

// Pickups are small and seen close up: coplanar faces sit further apart.
constexpr float kPickupCoplanarStep = 0.008f;
constexpr float kPickupDecalLift = 0.008f;
constexpr std::uint32_t kPickupMeshCount = 5;

nlohmann::json read(const std::filesystem::path& path) { return readJsonDocument(path, "Missing decoration asset: "); }

nlohmann::json loadDecorationModel(const std::filesystem::path& root, const std::string& name) {
    const std::filesystem::path shared = root / "sb2/shared/models" / (name + ".json");
    if (entryExists(shared)) return read(shared);
    return read(root / "models" / (name + ".json"));
}

// The fragment number of a manifest model name, or nothing for other models.
std::optional<std::uint32_t> fragmentNumber(const std::string& name) {
    static const std::string prefix = "fragment-";
    if (name == "effect-debris") return 0u;
    if (name.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    return static_cast<std::uint32_t>(std::stoul(name.substr(prefix.size()), nullptr, 10));
}

std::vector<WorldVertex> pickupMesh(const nlohmann::json& model, const nlohmann::json& colours,
                                    const LightVector& light, int night) {
    std::vector<WorldVertex> mesh;
    const nlohmann::json& vertices = model.at("vertices");
    const Array& faces = model.at("faces").get_ref<const Array&>();
    const nlohmann::json& normals = model.at("normals");
    PlaneSeparation separation(kPickupCoplanarStep, kPickupDecalLift);
    std::vector<Vec3> corners;
    std::vector<WorldVertex> faceVertices;
    for (std::size_t i = 0; i < faces.size(); ++i) {
        const nlohmann::json& face = faces[i];
        const Array& indices = face.at("indices").get_ref<const Array&>();
        const std::int32_t group = decodeInt(face.at("group"));
        const std::int32_t material = decodeInt(face.at("material"));
        const std::array<std::int32_t, 3> n = decodeFaceNormal(normals.at(i));
        // A face without corners has no plane to place; it adds nothing.
        if (indices.empty()) continue;

        const std::int32_t d = wrap32(static_cast<std::int64_t>(n[0]) * light[0] +
                                      static_cast<std::int64_t>(n[1]) * light[1] +
                                      static_cast<std::int64_t>(n[2]) * light[2]);
        const std::int32_t shade = shadeOf(d, decodeInt(face.at("shade")), decodeInt(face.at("bias")), night);
        const Vec3 colour = tableColour(colours.at("cry_table"), static_cast<std::uint32_t>(material), shade);

        corners.clear();
        for (const nlohmann::json& index : indices)
            corners.push_back(decodeModelPoint(vertices.at(decodeWord(index)), -0.01f));
        const Vec3 worldNormal{static_cast<float>(n[0]), static_cast<float>(n[1]), -static_cast<float>(n[2])};
        const float size = length(worldNormal);
        const Vec3 unit =
            size > 1e-5f && std::isfinite(size) ? worldNormal * (1.0f / size) : Vec3{0.0f, 0.0f, -1.0f};
        const Vec3 displacement = unit * separation.offset(unit, dot(corners[0], unit), corners, group, false);

        faceVertices.clear();
        for (std::size_t k = 0; k < corners.size(); ++k) {
            WorldVertex vertex;
            vertex.position = corners[k] + displacement;
            vertex.colour = colour;
            if (group == 2) {
                const nlohmann::json& uv = colours.at("texture_uv")
                                               .at(static_cast<std::size_t>(static_cast<std::uint32_t>(material)))
                                               .at(k);
                vertex.colour = {1.0f, 1.0f, 1.0f};
                vertex.u = decodeFloat(uv.at(0));
                vertex.v = decodeFloat(uv.at(1));
                vertex.textured = 1.0f;
            }
            faceVertices.push_back(vertex);
        }
        appendFan(faceVertices, mesh, [](std::size_t) { return false; });
    }
    return mesh;
}

}  // namespace

void World::loadDecorations(const std::filesystem::path& root) {
    std::filesystem::path colourPath = sharedGameplayFolder(root) / "missions.json";
    if (!entryExists(colourPath)) colourPath = root / "gameplay/missions.json";
    const nlohmann::json colours = read(colourPath);

    const nlohmann::json manifest = read(root / "models/manifest.json");
    const nlohmann::json& pickupTypes = manifest.at("pickup_types");
    for (std::size_t kind = 0; kind < pickupSlots.size(); ++kind) {
        const std::uint32_t slot = decodeWord(pickupTypes.at(kind));
        // Readers index the five pickup meshes with it.
        if (slot >= kPickupMeshCount) throw std::runtime_error("Invalid pickup slot");
        pickupSlots[kind] = slot;
    }

    fragmentShapes.clear();
    const auto& models = manifest.at("models").get_ref<const nlohmann::json::object_t&>();
    for (const auto& [name, entry] : models) {
        static_cast<void>(entry);
        const std::optional<std::uint32_t> number = fragmentNumber(name);
        if (!number) continue;
        const nlohmann::json model = loadDecorationModel(root, name);
        std::vector<Vec3>& shape = fragmentShapes[*number];
        // Fragment shapes keep the file's z direction.
        for (const nlohmann::json& vertex : model.at("vertices").get_ref<const Array&>())
            shape.push_back(decodeModelPoint(vertex, 0.01f));
    }

    nlohmann::json sb2Missions;
    if (campaign == 1) sb2Missions = read(root / "sb2/gameplay/missions.json");
    const nlohmann::json& lightDocument = campaign == 1 ? sb2Missions : colours;
    const LightVector light =
        decodeLight(lightDocument.at("missions").at(static_cast<std::size_t>(missionIndex)).at("light"));
    for (std::uint32_t slot = 0; slot < kPickupMeshCount; ++slot) {
        const nlohmann::json model = loadDecorationModel(root, "pickup-" + std::to_string(slot));
        pickupMeshes[slot].clear();
        pickupMeshes[slot] = pickupMesh(model, colours, light, night ? 1 : 0);
    }
}

}  // namespace bastion
