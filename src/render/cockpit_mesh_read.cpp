#include <cmath>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "render/cockpit_files.h"
#include "platform/regular_file.h"
#include "world/json_numbers.h"
#include "world/decoded_json.h"

namespace bastion {
namespace {

constexpr std::uint32_t kMagic = 0x50434253;  // "SBCP"
constexpr std::uint32_t kMaxVertices = 300000;
constexpr std::uint64_t kHeaderBytes = 12;
constexpr std::uint64_t kVertexBytes = 4 * kCockpitVertexFloats;
constexpr float kSizeBudget = 10.0f;
constexpr float kUpperGroupHeight = 0.45f;
constexpr std::size_t kLampCount = 5;
const std::string kLampPrefix = "Status lamp lens";

[[noreturn]] void fail(const char* message) { throw std::runtime_error(message); }

std::uint32_t littleEndian(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

float floatAt(const unsigned char* bytes, std::size_t index) {
    const std::uint32_t bits = littleEndian(&bytes[4 * index]);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool outside01(float value) { return value < 0.0f || value > 1.0f; }

// The file's vertex records, checked in file order: every value finite first,
// then per vertex its size budget, normal and material.
std::vector<float> readVertices(const std::filesystem::path& directory) {
    const std::filesystem::path path = directory / "cockpit.mesh";
    platform::FileRefusal refusal{};
    const std::optional<std::string> file =
        platform::readRegularFile(path, kHeaderBytes + kVertexBytes * kMaxVertices, &refusal);
    // Longer than the most vertices there may be: no header can match it.
    if (!file && refusal == platform::FileRefusal::tooLarge) fail("Invalid cockpit mesh header/length");
    if (!file) {
        throw std::runtime_error("Missing authored cockpit: " + path.string() +
                                 ". See docs/COCKPIT.md for Blender export.");
    }
    const std::uint64_t size = file->size();
    if (size < kHeaderBytes) fail("Truncated cockpit mesh");
    const auto* header = reinterpret_cast<const unsigned char*>(file->data());
    const std::uint32_t magic = littleEndian(header);
    const std::uint32_t version = littleEndian(header + 4);
    const std::uint32_t count = littleEndian(header + 8);
    if (count == 0 || version != 1 || magic != kMagic || count > kMaxVertices || count % 3 != 0 ||
        size != kHeaderBytes + kVertexBytes * count) {
        fail("Invalid cockpit mesh header/length");
    }

    const unsigned char* bytes = header + kHeaderBytes;
    std::vector<float> values(kVertexBytes * count / 4);
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = floatAt(bytes, i);
        if (!std::isfinite(values[i])) fail("Non-finite cockpit vertex");
    }

    for (std::size_t v = 0; v < count; ++v) {
        const float* record = &values[v * kCockpitVertexFloats];
        for (int axis = 0; axis < 3; ++axis) {
            if (std::fabs(record[axis]) > kSizeBudget) fail("Cockpit outside physical size budget");
        }
        const float normal = std::hypot(record[3], record[4], record[5]);
        if (normal < 0.9f || normal > 1.1f) fail("Invalid cockpit normal");
        for (int channel = 6; channel < kCockpitVertexFloats; ++channel) {
            if (outside01(record[channel])) fail("Invalid cockpit material");
        }
    }
    return values;
}

}  // namespace

CockpitMesh readCockpitMesh(const std::filesystem::path& directory) {
    const std::vector<float> file = readVertices(directory);
    const std::int64_t count = static_cast<std::int64_t>(file.size() / kCockpitVertexFloats);

    // The five lamps are the first five objects named "Status lamp lens...",
    // numbered in manifest order; their ranges are whole triangles.
    std::vector<bool> lampVertex(static_cast<std::size_t>(count), false);
    std::vector<VertexRange> lamps;
    const nlohmann::json manifest = parseJsonFile(directory / "mesh-manifest.json", kDecodedDocumentLimit);
    // A non-array "objects" is a type error, not a list of its members.
    for (const nlohmann::json& object : manifest.at("objects").get_ref<const nlohmann::json::array_t&>()) {
        const std::string name = object.at("object").get<std::string>();
        if (name.compare(0, kLampPrefix.size(), kLampPrefix) != 0) continue;
        const std::int64_t first = wholeNumber(object.at("first_vertex"), -1);
        const std::int64_t span = wholeNumber(object.at("vertex_count"), -1);
        if (lamps.size() == kLampCount || first < 0 || span < 0 || span > count || first > count - span ||
            first % 3 != 0 || span % 3 != 0) {
            fail("Invalid health lamp geometry");
        }
        for (std::int64_t v = first; v < first + span; ++v) lampVertex[static_cast<std::size_t>(v)] = true;
        lamps.push_back({static_cast<std::int32_t>(first), static_cast<std::int32_t>(span)});
    }
    if (lamps.size() < kLampCount) fail("Cockpit requires five health lamps");

    const auto copyVertices = [&file](std::vector<float>& into, std::int64_t first, std::int64_t vertices) {
        const auto begin = file.begin() + first * kCockpitVertexFloats;
        into.insert(into.end(), begin, begin + vertices * kCockpitVertexFloats);
    };

    CockpitMesh mesh;
    mesh.fileVertices = static_cast<std::uint32_t>(count);
    std::vector<float> upper;
    for (std::int64_t v = 0; v < count; v += 3) {
        if (lampVertex[static_cast<std::size_t>(v)]) continue;
        const float* record = &file[static_cast<std::size_t>(v) * kCockpitVertexFloats];
        const float meanHeight =
            (record[1] + record[1 + kCockpitVertexFloats] + record[1 + 2 * kCockpitVertexFloats]) / 3.0f;
        copyVertices(meanHeight > kUpperGroupHeight ? upper : mesh.vertices, v, 3);
    }
    mesh.lowerVertices = static_cast<std::int32_t>(mesh.vertices.size() / kCockpitVertexFloats);
    mesh.vertices.insert(mesh.vertices.end(), upper.begin(), upper.end());
    mesh.bodyVertices = static_cast<std::int32_t>(mesh.vertices.size() / kCockpitVertexFloats);
    for (std::size_t k = 0; k < kLampCount; ++k) {
        mesh.lamps[k] = {static_cast<std::int32_t>(mesh.vertices.size() / kCockpitVertexFloats), lamps[k].count};
        copyVertices(mesh.vertices, lamps[k].first, lamps[k].count);
    }
    return mesh;
}

}  // namespace bastion
