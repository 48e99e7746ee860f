#include "render/walker_rig_read.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

#include "world/json_numbers.h"

namespace bastion {
namespace {

using nlohmann::json;

constexpr std::size_t kMaxParts = 32;
constexpr std::int64_t kMaxMeshVertices = 32768;

constexpr std::array<const char*, 8> kRoles = {"rigid",     "torso",    "left-hip",   "left-knee",
                                               "left-foot", "right-hip", "right-knee", "right-foot"};

Vec3 rigPoint(const json& value) {
    value.get_ref<const json::array_t&>();  // an array, or the library's type error
    const Vec3 v{floatNumber(value.at(0)), floatNumber(value.at(1)), floatNumber(value.at(2))};
    for (const float c : {v.x, v.y, v.z})
        if (!std::isfinite(c) || std::fabs(c) > 500.0f) throw std::runtime_error("Invalid walker pivot/bounds");
    return v;
}

// An index into a JSON array or the face list; a negative or huge one fails
// the lookup that follows.
std::size_t indexOf(const json& value) {
    const std::int64_t index = wholeNumber(value, -1);
    return index < 0 ? static_cast<std::size_t>(-1) : static_cast<std::size_t>(index);
}

bool noGeometry(const json& faces) { return faces.is_null() || faces.empty(); }

std::int32_t roleNumber(const json& value) {
    const std::string& role = value.get_ref<const std::string&>();
    const auto found = std::find(kRoles.begin(), kRoles.end(), role);
    if (found == kRoles.end()) throw std::runtime_error("Invalid walker joint");
    return static_cast<std::int32_t>(found - kRoles.begin());
}

ModelRig readRig(const json& entry) {
    const float floor = floatNumber(entry.at("floor"));
    const std::int64_t meshVertices = wholeNumber(entry.at("mesh_vertices"), 0);
    const json::array_t& parts = entry.at("parts").get_ref<const json::array_t&>();
    if (!std::isfinite(floor) || meshVertices < 3 || meshVertices > kMaxMeshVertices || parts.size() > kMaxParts)
        throw std::runtime_error("Invalid walker animation budget");

    ModelRig rig;
    rig.floor = floor;
    rig.meshVertices = static_cast<std::int32_t>(meshVertices);
    std::vector<bool> covered(static_cast<std::size_t>(meshVertices), false);
    std::int64_t total = 0;
    for (const json& item : parts) {
        const std::int64_t parent = wholeNumber(item.at("parent"), -2);
        const std::int64_t arm = item.contains("arm") ? wholeNumber(item.at("arm"), 2) : -1;
        WalkerPart part;
        part.pivot = rigPoint(item.at("pivot"));
        part.low = rigPoint(item.at("low"));
        part.high = rigPoint(item.at("high"));
        part.noFaces = noGeometry(item.at("faces"));
        if (part.low.x > part.high.x || part.low.y > part.high.y || part.low.z > part.high.z)
            throw std::runtime_error("Inverted walker bounds");
        part.role = roleNumber(item.at("role"));
        if (arm < -1 || arm > 1 || parent < -1 || parent >= static_cast<std::int64_t>(rig.parts.size()))
            throw std::runtime_error("Invalid walker parent");
        part.parent = static_cast<std::int32_t>(parent);
        part.arm = static_cast<std::int32_t>(arm);
        rig.parts.push_back(part);

        std::vector<ModelRig::Run>& runs = rig.ranges.emplace_back();
        std::int64_t sum = 0;
        for (const json& range : item.at("ranges").get_ref<const json::array_t&>()) {
            range.get_ref<const json::array_t&>();
            const std::int64_t first = wholeNumber(range.at(0), -1);
            const std::int64_t count = wholeNumber(range.at(1), -1);
            if (first < 0 || count < 0 || first % 3 != 0 || count % 3 != 0 || first > meshVertices ||
                count > meshVertices - first)
                throw std::runtime_error("Invalid animated face range");
            runs.emplace_back(static_cast<std::int32_t>(first), static_cast<std::int32_t>(count));
            for (std::int64_t v = first; v < first + count; ++v) {
                if (covered[static_cast<std::size_t>(v)]) throw std::runtime_error("Overlapping animated faces");
                covered[static_cast<std::size_t>(v)] = true;
            }
            sum += count;
        }
        rig.spans.emplace_back(static_cast<std::int32_t>(total), static_cast<std::int32_t>(sum));
        total += sum;
    }
    if (total != meshVertices) throw std::runtime_error("Incomplete walker animation coverage");
    return rig;
}

// A decoded file vertex in model-loader units: metres, z mirrored.
Vec3 walkerPoint(const json& vertex) {
    return {0.01f * floatNumber(vertex.at(0)), 0.01f * floatNumber(vertex.at(1)), -0.01f * floatNumber(vertex.at(2))};
}

json pointJson(Vec3 v) { return json::array({v.x, v.y, v.z}); }

struct SegmentLink {
    const char* role;
    int parent;
    int arm;
};

// Torso, right leg, left leg, left arm, right arm and one more rigid part.
constexpr std::array<SegmentLink, 16> kSegments = {{
    {"torso", -1, -1},
    {"right-hip", -1, -1},
    {"right-knee", 1, -1},
    {"right-foot", 2, -1},
    {"left-hip", -1, -1},
    {"left-knee", 4, -1},
    {"left-foot", 5, -1},
    {"rigid", 0, 0},
    {"rigid", 7, 0},
    {"rigid", 8, 0},
    {"rigid", 9, 0},
    {"rigid", 0, 1},
    {"rigid", 11, 1},
    {"rigid", 12, 1},
    {"rigid", 13, 1},
    {"rigid", 0, -1},
}};

}  // namespace

std::map<std::string, ModelRig> readWalkerRigs(const json& document) {
    if (document.at("schema").get<double>() != 1.0) throw std::runtime_error("Invalid walker animation metadata");
    std::map<std::string, ModelRig> rigs;
    for (const auto& [name, entry] : document.at("rigs").get_ref<const json::object_t&>())
        rigs.emplace(name, readRig(entry));
    return rigs;
}

json synthesizeWalkerRig(const json& walkerFile) {
    const json& vertices = walkerFile.at("vertices");
    float lowest = 1e9f;
    for (const json& vertex : vertices) lowest = std::min(lowest, floatNumber(vertex.at(1)));

    // Each face of n corners becomes the 3n - 6 vertices of its fan, in order.
    std::vector<std::array<std::int64_t, 2>> faceRuns;
    std::int64_t total = 0;
    for (const json& face : walkerFile.at("faces")) {
        const std::int64_t count = 3 * static_cast<std::int64_t>(face.at("indices").size()) - 6;
        faceRuns.push_back({total, count});
        total += count;
    }

    const json& segments = walkerFile.at("segments");
    if (!segments.is_array() || segments.size() != kSegments.size())
        throw std::runtime_error("Missing player animation membership");

    json parts = json::array();
    for (std::size_t i = 0; i < kSegments.size(); ++i) {
        const json& segment = segments[i];
        Vec3 low;
        Vec3 high;
        const json& members = segment.at("vertices");
        if (!noGeometry(members)) {
            low = {1e9f, 1e9f, 1e9f};
            high = {-1e9f, -1e9f, -1e9f};
            for (const json& index : members) {
                const Vec3 p = walkerPoint(vertices.at(indexOf(index)));
                low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
                high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
            }
        }
        Vec3 pivot;
        const json& pivots = segment.at("pivot_records");
        if (!noGeometry(pivots)) {
            const json& record = pivots.at(0);
            pivot = (walkerPoint(vertices.at(indexOf(record.at(1)))) +
                     walkerPoint(vertices.at(indexOf(record.at(2))))) *
                    0.5f;
        }
        json ranges = json::array();
        for (const json& face : segment.at("faces")) {
            const auto& run = faceRuns.at(indexOf(face));
            ranges.push_back(json::array({run[0], run[1]}));
        }
        parts.push_back({{"parent", kSegments[i].parent},
                         {"arm", kSegments[i].arm},
                         {"role", kSegments[i].role},
                         {"pivot", pointJson(pivot)},
                         {"low", pointJson(low)},
                         {"high", pointJson(high)},
                         {"faces", segment.at("faces")},
                         {"ranges", ranges}});
    }
    json rig = {{"floor", 0.01f * lowest}, {"mesh_vertices", total}, {"parts", parts}};
    return {{"schema", 1}, {"rigs", {{"stormbastion", rig}}}};
}

}  // namespace bastion
