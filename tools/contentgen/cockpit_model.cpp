#include "contentgen/cockpit_model.h"

#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>

#include "contentgen/json_file.h"

namespace bastion::contentgen {
namespace {

using Point = std::array<float, 3>;
using Colour = std::array<float, 3>;

constexpr Colour kHull{0.18f, 0.21f, 0.2f};
constexpr Colour kPanel{0.09f, 0.11f, 0.1f};
constexpr Colour kBezel{0.3f, 0.33f, 0.3f};
constexpr Colour kFrame{0.24f, 0.26f, 0.28f};
constexpr Colour kGlass{0.05f, 0.06f, 0.05f};

// The instruments' places on the dashboard face, just in front of it.
constexpr float kFace = -1.1f;
constexpr float kInstrumentDepth = -1.08f;
constexpr Point kOverview{-0.6f, -0.5f, kInstrumentDepth};
constexpr Point kRadar{0.0f, -0.5f, kInstrumentDepth};
constexpr Point kHeading{0.6f, -0.6f, kInstrumentDepth};
constexpr Point kTorso{0.6f, -0.22f, kInstrumentDepth};

class MeshBuilder {
public:
    // An axis-aligned box, two triangles per face, normals outward.
    void box(Point low, Point high, Colour colour, float emission = 0.0f) {
        const auto corner = [&](int x, int y, int z) {
            return Point{x != 0 ? high[0] : low[0], y != 0 ? high[1] : low[1], z != 0 ? high[2] : low[2]};
        };
        struct Face {
            Point normal;
            int corners[4][3];
        };
        static constexpr Face kFaces[6] = {
            {{0, 0, 1}, {{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}}},
            {{0, 0, -1}, {{1, 0, 0}, {0, 0, 0}, {0, 1, 0}, {1, 1, 0}}},
            {{-1, 0, 0}, {{0, 0, 0}, {0, 0, 1}, {0, 1, 1}, {0, 1, 0}}},
            {{1, 0, 0}, {{1, 0, 1}, {1, 0, 0}, {1, 1, 0}, {1, 1, 1}}},
            {{0, 1, 0}, {{0, 1, 1}, {1, 1, 1}, {1, 1, 0}, {0, 1, 0}}},
            {{0, -1, 0}, {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}}},
        };
        for (const Face& face : kFaces) {
            for (const int index : {0, 1, 2, 0, 2, 3}) {
                const int* c = face.corners[index];
                vertices.push_back({corner(c[0], c[1], c[2]), face.normal, colour, emission});
            }
        }
    }

    // Starts a named object of the manifest at the current vertex.
    void object(const std::string& name) {
        close();
        open_ = name;
        first_ = vertices.size();
    }

    nlohmann::json finish() {
        close();
        return {{"schema", 1}, {"objects", objects_}};
    }

    std::vector<CockpitVertex> vertices;

private:
    void close() {
        if (open_.empty()) return;
        objects_.push_back({{"object", open_}, {"first_vertex", first_}, {"vertex_count", vertices.size() - first_}});
        open_.clear();
    }

    std::string open_;
    std::size_t first_ = 0;
    nlohmann::json objects_ = nlohmann::json::array();
};

// A square plate around an instrument anchor, behind it on the face.
void bezel(MeshBuilder& mesh, Point anchor, float halfWidth, float halfHeight) {
    mesh.box({anchor[0] - halfWidth, anchor[1] - halfHeight, kFace - 0.01f},
             {anchor[0] + halfWidth, anchor[1] + halfHeight, kFace + 0.005f}, kBezel);
    mesh.box({anchor[0] - halfWidth + 0.012f, anchor[1] - halfHeight + 0.012f, kFace + 0.005f},
             {anchor[0] + halfWidth - 0.012f, anchor[1] + halfHeight - 0.012f, kFace + 0.01f}, kGlass);
}

nlohmann::json point(Point p) { return {p[0], p[1], p[2]}; }

nlohmann::json layout() {
    // Left-hand mounts (hands, shoulders, hips) on the left edge of the
    // dashboard, right-hand ones on the right edge.
    nlohmann::json ammo = nlohmann::json::array();
    for (int mount = 0; mount < 6; ++mount) {
        const float x = mount % 2 == 0 ? -1.02f : 0.9f;
        const float y = -0.3f - 0.1f * static_cast<float>(mount / 2);
        ammo.push_back({{"mount", mount}, {"position", {x, y, kInstrumentDepth}}, {"size", 0.008}});
    }
    return {{"schema", 1},
            {"ammo_in_overview", false},
            {"ammo", ammo},
            {"overview", point(kOverview)},
            {"radar", point(kRadar)},
            {"torso", point(kTorso)},
            {"heading", point(kHeading)}};
}

void appendFloat(std::vector<std::uint8_t>& bytes, float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(bits >> shift));
}

void appendWord(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

}  // namespace

CockpitModel demoCockpit() {
    MeshBuilder mesh;
    mesh.object("Dashboard");
    mesh.box({-1.3f, -0.85f, -1.4f}, {1.3f, -0.2f, kFace}, kPanel);
    mesh.box({-1.3f, -0.2f, -1.3f}, {1.3f, -0.17f, kFace}, kHull);  // the sill
    bezel(mesh, kOverview, 0.2f, 0.2f);
    bezel(mesh, kRadar, 0.21f, 0.21f);
    bezel(mesh, kHeading, 0.2f, 0.08f);
    bezel(mesh, kTorso, 0.14f, 0.06f);
    mesh.object("Side consoles");
    mesh.box({-1.5f, -0.9f, -1.3f}, {-1.3f, 0.35f, 0.6f}, kHull);
    mesh.box({1.3f, -0.9f, -1.3f}, {1.5f, 0.35f, 0.6f}, kHull);
    mesh.box({-1.3f, -1.0f, -1.3f}, {1.3f, -0.9f, 0.6f}, kHull);  // the floor
    mesh.object("Canopy frame");
    mesh.box({-1.4f, 0.5f, -1.35f}, {-1.25f, 1.1f, -1.2f}, kFrame);
    mesh.box({1.25f, 0.5f, -1.35f}, {1.4f, 1.1f, -1.2f}, kFrame);
    mesh.box({-1.4f, 0.95f, -1.35f}, {1.4f, 1.1f, 0.4f}, kFrame);
    mesh.box({-0.05f, 0.9f, -1.35f}, {0.05f, 0.95f, 0.4f}, kFrame);  // the spine
    for (int lamp = 0; lamp < 5; ++lamp) {
        mesh.object("Status lamp lens.00" + std::to_string(lamp + 1));
        const float x = -0.26f + 0.13f * static_cast<float>(lamp);
        mesh.box({x - 0.04f, -0.265f, kFace}, {x + 0.04f, -0.215f, kFace + 0.015f}, {0.3f, 0.3f, 0.3f}, 1.0f);
    }
    CockpitModel model;
    model.manifest = mesh.finish();
    model.vertices = std::move(mesh.vertices);
    model.layout = layout();
    return model;
}

std::vector<std::uint8_t> cockpitMeshBytes(const std::vector<CockpitVertex>& vertices) {
    std::vector<std::uint8_t> bytes{'S', 'B', 'C', 'P'};
    appendWord(bytes, 1);
    appendWord(bytes, static_cast<std::uint32_t>(vertices.size()));
    for (const CockpitVertex& v : vertices) {
        for (const float value : v.position) appendFloat(bytes, value);
        for (const float value : v.normal) appendFloat(bytes, value);
        for (const float value : v.colour) appendFloat(bytes, value);
        appendFloat(bytes, v.emission);
    }
    return bytes;
}

void writeCockpit(const std::filesystem::path& folder, const CockpitModel& model) {
    std::filesystem::create_directories(folder);
    const std::vector<std::uint8_t> bytes = cockpitMeshBytes(model.vertices);
    const std::filesystem::path meshPath = folder / "cockpit.mesh";
    std::ofstream stream(meshPath, std::ios::binary | std::ios::trunc);
    stream.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    stream.close();
    if (!stream) throw std::runtime_error("Cannot write content file: " + meshPath.string());
    writeJsonFile(folder / "mesh-manifest.json", model.manifest);
    writeJsonFile(folder / "layout.json", model.layout);
}

}  // namespace bastion::contentgen
