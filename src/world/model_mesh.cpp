#include "world/internal/model_mesh.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "world/decoded_json.h"
#include "world/decoded_value.h"
#include "world/internal/mesh_shading.h"
#include "world/world.h"

namespace bastion {
namespace {

using Array = nlohmann::json::array_t;

// Per-build spacing of coplanar faces, and the lift of a decal off its wall.
constexpr float kCoplanarStep = 0.003f;
constexpr float kDecalLift = 0.004f;

const nlohmann::json& modelDocument(ModelMeshContext& context, const std::string& name) {
    const auto cached = context.documents.find(name);
    if (cached != context.documents.end()) return cached->second;
    const std::string file = name + ".json";
    std::filesystem::path path = context.campaignFolder / "gameplay" / file;
    if (context.world.campaign == 0 && context.preferShared && entryExists(context.sharedGameplayFolder / file))
        path = context.sharedGameplayFolder / file;
    return context.documents.emplace(name, readJson(path)).first->second;
}

std::vector<std::uint32_t> faceIndices(const nlohmann::json& face, std::size_t vertexCount) {
    std::vector<std::uint32_t> indices;
    for (const nlohmann::json& index : face.at("indices").get_ref<const Array&>()) {
        const std::uint32_t v = decodeWord(index);
        if (v >= vertexCount) throw std::runtime_error("World polygon index out of bounds");
        indices.push_back(v);
    }
    return indices;
}

Vec3 toVec3(const std::array<std::int32_t, 3>& n) {
    return {static_cast<float>(n[0]), static_cast<float>(n[1]), static_cast<float>(n[2])};
}

// The face normal as a unit vector in file axes; degenerate ones face -z.
Vec3 unitFileNormal(Vec3 n) {
    const float size = length(n);
    if (size > 1e-5f && std::isfinite(size)) return n * (1.0f / size);
    return {0.0f, 0.0f, -1.0f};
}

struct FaceInfo {
    std::vector<std::uint32_t> indices;
    Vec3 fileNormal;  // unit, file axes
    bool twin = false;
};

// Back-to-back faces on the same corners become one-sided twins.
std::vector<FaceInfo> readFaces(const Array& faces, const nlohmann::json& normals, std::size_t vertexCount) {
    std::vector<FaceInfo> infos;
    std::map<std::vector<std::uint32_t>, std::vector<std::size_t>> byCorners;
    for (std::size_t i = 0; i < faces.size(); ++i) {
        FaceInfo info;
        info.indices = faceIndices(faces[i], vertexCount);
        info.fileNormal = unitFileNormal(toVec3(decodeFaceNormal(normals.at(i))));
        std::vector<std::uint32_t> corners = info.indices;
        std::sort(corners.begin(), corners.end());
        std::vector<std::size_t>& same = byCorners[corners];
        for (std::size_t j : same) {
            if (dot(infos[j].fileNormal, info.fileNormal) < -0.99f) {
                infos[j].twin = true;
                info.twin = true;
            }
        }
        same.push_back(i);
        infos.push_back(std::move(info));
    }
    return infos;
}

std::int32_t replacedMaterial(const nlohmann::json& replacements, int objectType, std::int32_t material) {
    for (const nlohmann::json& entry : replacements.get_ref<const Array&>()) {
        const double type = entry.at(0).get<double>();
        const double from = entry.at(1).get<double>();
        const nlohmann::json& to = entry.at(2);
        if (type == objectType && from == material) material = decodeInt(to);
    }
    return material;
}

class MeshLighting {
public:
    MeshLighting(const LightVector& light, float yaw, int night)
        : light_(light), cosine_(std::cos(yaw)), sine_(std::sin(yaw)), night_(night) {}

    // The shade of a file-axes normal turned by the object's yaw.
    std::int32_t shade(Vec3 n, std::int32_t scale, std::int32_t ambient) const {
        const float x = n.x * cosine_ - n.z * sine_;
        const float z = n.x * sine_ + n.z * cosine_;
        const float d = static_cast<float>(light_[0]) * x + static_cast<float>(light_[1]) * n.y +
                        static_cast<float>(light_[2]) * z;
        if (!(std::fabs(d) < 2147483648.0f)) throw std::runtime_error("Invalid face normal");
        return shadeOf(static_cast<std::int32_t>(d), scale, ambient, night_);
    }

private:
    LightVector light_;
    float cosine_;
    float sine_;
    int night_;
};

// Smooth-shading entries per vertex, -1 where no record lights it.
std::vector<std::int32_t> vertexLighting(const nlohmann::json& records, std::size_t vertexCount,
                                         const MeshLighting& lighting) {
    std::vector<std::int32_t> shades(vertexCount, -1);
    for (const nlohmann::json& record : records.get_ref<const Array&>()) {
        const std::uint32_t w0 = decodeWord(record.at(0));
        const std::uint32_t w1 = decodeWord(record.at(1));
        const std::int32_t scale = decodeInt(record.at(2));
        const std::int32_t ambient = decodeInt(record.at(3));
        const std::uint32_t vertex = w1 & 0xFFFFu;
        if (vertex >= vertexCount) throw std::runtime_error("Invalid vertex lighting reference");
        const Vec3 n{static_cast<float>(static_cast<std::int16_t>(w0 >> 16)),
                     static_cast<float>(static_cast<std::int16_t>(w0 & 0xFFFFu)),
                     static_cast<float>(static_cast<std::int16_t>(w1 >> 16))};
        shades[vertex] = lighting.shade(n, scale, ambient);
    }
    return shades;
}

}  // namespace

SharedMesh buildModelMesh(ModelMeshContext& context, const std::string& name, float yaw, int objectType) {
    const nlohmann::json& model = modelDocument(context, name);
    const Array& vertexList = model.at("vertices").get_ref<const Array&>();
    const Array& faces = model.at("faces").get_ref<const Array&>();
    if (vertexList.size() > kModelBudget || faces.size() > kModelBudget)
        throw std::runtime_error("Invalid world mesh budget");

    std::vector<Vec3> points;
    points.reserve(vertexList.size());
    for (const nlohmann::json& vertex : vertexList) points.push_back(decodeModelPoint(vertex, -0.01f));

    // Object type 22 keeps its daylight shading in night missions.
    const int night = context.mission.at("night").get<bool>() && objectType != 22 ? 1 : 0;
    const MeshLighting lighting(context.light, yaw, night);
    const std::vector<std::int32_t> smooth = vertexLighting(model.at("lighting"), points.size(), lighting);
    const nlohmann::json& normals = model.at("normals");
    const std::vector<FaceInfo> infos = readFaces(faces, normals, points.size());

    auto mesh = std::make_shared<Mesh>();
    PlaneSeparation separation(kCoplanarStep, kDecalLift);
    std::vector<Vec3> corners;
    std::vector<WorldVertex> faceVertices;
    for (std::size_t i = 0; i < faces.size(); ++i) {
        const nlohmann::json& face = faces[i];
        const FaceInfo& info = infos[i];
        const std::array<std::int32_t, 3> fileNormal = decodeFaceNormal(normals.at(i));
        const std::int32_t group = decodeInt(face.at("group"));
        std::int32_t material = decodeInt(face.at("material"));
        if (group == 0) material = replacedMaterial(context.mission.at("replacements"), objectType, material);
        const Vec3 n = toVec3(fileNormal);
        const std::int32_t faceShade =
            lighting.shade(n, decodeInt(face.at("shade")), decodeInt(face.at("bias")));

        corners.clear();
        for (std::uint32_t v : info.indices) corners.push_back(points[v]);
        Vec3 displacement;
        const Vec3 worldNormal{n.x, n.y, -n.z};
        if (!corners.empty() && !(worldNormal == Vec3{})) {
            const Vec3 unit = worldNormal * (1.0f / length(worldNormal));
            const float distance = dot(corners[0], unit);
            displacement = unit * separation.offset(unit, distance, corners, group, info.twin);
        }

        faceVertices.clear();
        for (std::size_t k = 0; k < info.indices.size(); ++k) {
            const std::uint32_t v = info.indices[k];
            WorldVertex vertex;
            vertex.position = points[v] + displacement;
            vertex.colour = tableColour(context.missions.at("cry_table"), static_cast<std::uint32_t>(material),
                                        faceShade | (material & 0xFF));
            if (group == 1) {
                if (smooth[v] < 0) throw std::runtime_error("Missing Gouraud vertex lighting");
                const std::uint32_t word = static_cast<std::uint32_t>(smooth[v] | material);
                vertex.colour = tableColour(context.missions.at("cry_table"), word,
                                            static_cast<std::int32_t>(word & 0xFFu));
            } else if (group == 2) {
                const Array& uv = context.missions.at("texture_uv")
                                      .at(static_cast<std::size_t>(static_cast<std::uint32_t>(material)))
                                      .get_ref<const Array&>();
                if (k >= uv.size()) throw std::runtime_error("Texture vertex count mismatch");
                vertex.colour = {1.0f, 1.0f, 1.0f};
                vertex.u = decodeFloat(uv[k].at(0));
                vertex.v = decodeFloat(uv[k].at(1));
                vertex.textured = 1.0f;
            }
            vertex.oneSided = info.twin ? 1.0f : 0.0f;
            faceVertices.push_back(vertex);
        }

        // Twins are culled, so their winding must agree with their normal.
        const Vec3 facing{info.fileNormal.x, info.fileNormal.y, -info.fileNormal.z};
        appendFan(faceVertices, *mesh, [&](std::size_t k) {
            return info.twin && dot(cross(corners[k - 1] - corners[0], corners[k] - corners[0]), facing) < 0.0f;
        });
    }
    return mesh;
}

}  // namespace bastion
