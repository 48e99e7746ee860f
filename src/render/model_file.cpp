#include "render/internal/model_file.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "world/json_numbers.h"

namespace bastion {
namespace {

using nlohmann::json;

constexpr std::size_t kModelBudget = 4096;
constexpr float kMaxStored = 32768.0f;

bool contains(const std::string& name, const char* word) { return name.find(word) != std::string::npos; }

Vec3 storedVertex(const json& value) {
    value.get_ref<const json::array_t&>();  // an array, or the library's type error
    const Vec3 v{floatNumber(value.at(0)), floatNumber(value.at(1)), floatNumber(value.at(2))};
    for (const float c : {v.x, v.y, v.z})
        if (!std::isfinite(c) || std::fabs(c) > kMaxStored) throw std::runtime_error("Invalid model vertex");
    return v;
}

Vec3 lower(Vec3 a, Vec3 b) { return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)}; }
Vec3 upper(Vec3 a, Vec3 b) { return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)}; }

// Stored file position (hundredths of a metre) to model space.
struct SpaceChange {
    ModelPlacement placement;
    Vec3 pivot;
    Vec3 centre;
    float top = 0.0f;
    float height = 1.0f;
    float cosYaw = 1.0f;
    float sinYaw = 0.0f;

    Vec3 operator()(Vec3 v) const {
        switch (placement.kind) {
        case ModelClass::HeldAligned: {
            // File y becomes model z and file z model y; x is mirrored.
            const Vec3 p{-0.01f * (v.x - pivot.x), 0.01f * (v.z - pivot.z), 0.01f * (v.y - pivot.y)};
            return {p.x * cosYaw + p.z * sinYaw, p.y, -p.x * sinYaw + p.z * cosYaw};
        }
        case ModelClass::ArmSegment:
            return {0.01f * (v.x - centre.x), -0.01f * (v.z - centre.z), (v.y - top) / height};
        case ModelClass::Shoulder:
            return {0.01f * (v.x - centre.x), 0.01f * (v.y - centre.y), 0.01f * (v.z - centre.z)};
        case ModelClass::PlayerWalker:
            return {0.01f * v.x, 0.01f * v.y, -0.01f * v.z};
        case ModelClass::Plain:
            break;
        }
        return {0.01f * v.x, 0.01f * v.y, 0.01f * v.z};
    }
};

float linearChannel(const json& value) {
    const float c = floatNumber(value);
    if (!std::isfinite(c) || c < 0.0f || c > 255.0f) throw std::runtime_error("Invalid original material");
    return std::pow(c / 255.0f, 2.2f);
}

void appendVertex(std::vector<float>& out, Vec3 p, Vec3 n, Vec3 colour) {
    out.insert(out.end(), {p.x, p.y, p.z, n.x, n.y, n.z, colour.x, colour.y, colour.z, 0.0f});
}

}  // namespace

ModelPlacement classifyModel(const std::string& name, const HeldPlacement& held) {
    if (name == "shotgun" || name == "heavy-machinegun") {
        const std::string key = "mounted-" + name + "-a";
        const auto found = held.alignmentYaw.find(key);
        if (found == held.alignmentYaw.end()) throw std::runtime_error("Missing held-model alignment: " + key);
        return {ModelClass::HeldAligned, found->second};
    }
    if (const auto found = held.alignmentYaw.find(name); found != held.alignmentYaw.end())
        return {ModelClass::HeldAligned, found->second};
    if (contains(name, "upper-arm") || contains(name, "forearm")) return {ModelClass::ArmSegment, 0.0f};
    if (name == "left-shoulder" || name == "right-shoulder") return {ModelClass::Shoulder, 0.0f};
    if (name == "stormbastion") return {ModelClass::PlayerWalker, 0.0f};
    return {ModelClass::Plain, 0.0f};
}

ModelVertices buildModelVertices(const json& document, ModelPlacement placement, Vec3 sourcePivot) {
    const json::array_t& storedVertices = document.at("vertices").get_ref<const json::array_t&>();
    const json::array_t& faces = document.at("faces").get_ref<const json::array_t&>();
    if (storedVertices.size() > kModelBudget || faces.size() > kModelBudget)
        throw std::runtime_error("Original model exceeds budget");

    std::vector<Vec3> positions;
    positions.reserve(storedVertices.size());
    Vec3 low{1e9f, 1e9f, 1e9f};
    Vec3 high{-1e9f, -1e9f, -1e9f};
    for (const json& entry : storedVertices) {
        positions.push_back(storedVertex(entry));
        low = lower(low, positions.back());
        high = upper(high, positions.back());
    }
    if (positions.size() < 3) throw std::runtime_error("Empty model");

    SpaceChange change;
    change.placement = placement;
    change.pivot = sourcePivot;
    change.centre = (low + high) * 0.5f;
    change.top = high.y;
    change.height = std::max(high.y - low.y, 1.0f);
    change.cosYaw = std::cos(placement.yaw);
    change.sinYaw = std::sin(placement.yaw);
    ModelVertices model;
    for (Vec3& p : positions) {
        p = change(p);
        model.min = lower(model.min, p);
        model.max = upper(model.max, p);
    }

    const bool keepDegenerate = placement.kind == ModelClass::PlayerWalker;
    const auto vertexCount = static_cast<std::int64_t>(positions.size());
    std::vector<std::size_t> corners;
    for (const json& face : faces) {
        const json::array_t& indices = face.at("indices").get_ref<const json::array_t&>();
        if (indices.size() < 3 || indices.size() > 32) throw std::runtime_error("Invalid original polygon size");
        corners.clear();
        for (const json& index : indices) {
            const std::int64_t i = wholeNumber(index, -1);
            if (i < 0 || i >= vertexCount) throw std::runtime_error("Invalid original polygon index");
            corners.push_back(static_cast<std::size_t>(i));
        }
        const json& colour = face.at("color");
        colour.get_ref<const json::array_t&>();
        const float r = linearChannel(colour.at(0));
        const float g = linearChannel(colour.at(1));
        const float b = linearChannel(colour.at(2));
        const Vec3 linear{r, g, b};

        const Vec3 a = positions[corners[0]];
        for (std::size_t k = 2; k < corners.size(); ++k) {
            const Vec3 second = positions[corners[k - 1]];
            const Vec3 third = positions[corners[k]];
            const Vec3 n = cross(second - a, third - a);
            const float size = length(n);
            Vec3 normal{0.0f, 1.0f, 0.0f};
            if (size < 0.000001f) {
                if (!keepDegenerate) continue;
            } else {
                normal = std::isfinite(size) && size > 0.00001f ? Vec3{n.x / size, n.y / size, n.z / size}
                                                                 : Vec3{0.0f, 0.0f, -1.0f};
            }
            appendVertex(model.floats, a, normal, linear);
            appendVertex(model.floats, second, normal, linear);
            appendVertex(model.floats, third, normal, linear);
        }
    }
    if (model.floats.empty()) throw std::runtime_error("Original model has no triangles");
    return model;
}

}  // namespace bastion
