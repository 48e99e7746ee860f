#include "contentgen/cockpit_model.h"

#include <algorithm>
#include <cstring>
#include <vector>
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
constexpr Colour kGlass = kScreenGlass;

// The dashboard face stands low and far enough that the windscreen above it
// holds every head-up line, the co-op notice's included (its top edge lies
// below 0.35 of the view's height from the middle); the instruments sit on
// it just in front of the face.
constexpr float kFace = -1.3f;
constexpr float kInstrumentDepth = kFace + 0.02f;
constexpr float kSillTop = -0.46f;
constexpr float kSillFront = -1.22f;
constexpr float kFloor = -1.2f;
constexpr Point kOverview{-0.6f, -0.73f, kInstrumentDepth};
constexpr Point kRadar{0.0f, -0.73f, kInstrumentDepth};
constexpr Point kHeading{0.6f, -0.76f, kInstrumentDepth};
// The torso gauge stands on a post before the sill, right of the middle:
// the mission text hangs above and before it (0.18 up, 0.25 nearer), so
// the gauge must stand high enough for four lines to clear it.
constexpr float kPodFace = -1.1f;
constexpr Point kTorso{0.45f, -0.12f, kPodFace + 0.02f};

// A rectangle of a face plane: x0..x1 by y0..y1.
struct Rect {
    float x0, y0, x1, y1;
};

// Faces of an axis-aligned box, by outward normal.
enum BoxFace : unsigned { kFront = 1, kBack = 2, kLeft = 4, kRight = 8, kTop = 16, kBottom = 32, kAllFaces = 63 };

// Builds the cabin from faces that the eye, at the origin, can see: faces
// turned away from it are left out, so nothing is drawn twice where one
// surface hides another.
class MeshBuilder {
public:
    // An axis-aligned box: of the faces in `faces`, those whose front the eye
    // sees, two triangles each, normals outward.
    void box(Point low, Point high, Colour colour, float emission = 0.0f, unsigned faces = kAllFaces) {
        const auto corner = [&](int x, int y, int z) {
            return Point{x != 0 ? high[0] : low[0], y != 0 ? high[1] : low[1], z != 0 ? high[2] : low[2]};
        };
        struct Face {
            BoxFace which;
            Point normal;
            int corners[4][3];
        };
        static constexpr Face kFaces[6] = {
            {kFront, {0, 0, 1}, {{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}}},
            {kBack, {0, 0, -1}, {{1, 0, 0}, {0, 0, 0}, {0, 1, 0}, {1, 1, 0}}},
            {kLeft, {-1, 0, 0}, {{0, 0, 0}, {0, 0, 1}, {0, 1, 1}, {0, 1, 0}}},
            {kRight, {1, 0, 0}, {{1, 0, 1}, {1, 0, 0}, {1, 1, 0}, {1, 1, 1}}},
            {kTop, {0, 1, 0}, {{0, 1, 1}, {1, 1, 1}, {1, 1, 0}, {0, 1, 0}}},
            {kBottom, {0, -1, 0}, {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}}},
        };
        for (const Face& face : kFaces) {
            if ((faces & face.which) == 0) continue;
            std::array<Point, 4> corners;
            for (int k = 0; k < 4; ++k) corners[k] = corner(face.corners[k][0], face.corners[k][1], face.corners[k][2]);
            quad(corners, face.normal, colour, emission);
        }
    }

    // The part of a face at depth z, facing the eye, that `holes` leave: the
    // rectangle is cut along every hole edge and the cells outside all holes
    // are joined row by row.
    void faceWithHoles(Rect face, float z, const std::vector<Rect>& holes, Colour colour) {
        std::vector<float> xs{face.x0, face.x1}, ys{face.y0, face.y1};
        for (const Rect& hole : holes) {
            xs.insert(xs.end(), {hole.x0, hole.x1});
            ys.insert(ys.end(), {hole.y0, hole.y1});
        }
        const auto cuts = [](std::vector<float>& values, float low, float high) {
            for (float& v : values) v = std::clamp(v, low, high);
            std::sort(values.begin(), values.end());
            values.erase(std::unique(values.begin(), values.end()), values.end());
        };
        cuts(xs, face.x0, face.x1);
        cuts(ys, face.y0, face.y1);
        const auto open = [&](std::size_t i, std::size_t j) {
            const float x = (xs[i] + xs[i + 1]) / 2, y = (ys[j] + ys[j + 1]) / 2;
            return std::none_of(holes.begin(), holes.end(),
                                [&](const Rect& h) { return x > h.x0 && x < h.x1 && y > h.y0 && y < h.y1; });
        };
        for (std::size_t j = 0; j + 1 < ys.size(); ++j) {
            for (std::size_t i = 0; i + 1 < xs.size();) {
                if (!open(i, j)) {
                    ++i;
                    continue;
                }
                std::size_t end = i + 1;
                while (end + 1 < xs.size() && open(end, j)) ++end;
                quad({Point{xs[i], ys[j], z}, Point{xs[end], ys[j], z}, Point{xs[end], ys[j + 1], z},
                      Point{xs[i], ys[j + 1], z}},
                     {0, 0, 1}, colour, 0.0f);
                i = end;
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
    // Two triangles, unless the eye sees the quad from behind or edge-on.
    void quad(const std::array<Point, 4>& corners, Point normal, Colour colour, float emission) {
        const Point& p = corners[0];
        if (!(-(normal[0] * p[0] + normal[1] * p[1] + normal[2] * p[2]) > 0.0f)) return;
        for (const int index : {0, 1, 2, 0, 2, 3})
            vertices.push_back({corners[static_cast<std::size_t>(index)], normal, colour, emission});
    }

    void close() {
        if (open_.empty()) return;
        objects_.push_back({{"object", open_}, {"first_vertex", first_}, {"vertex_count", vertices.size() - first_}});
        open_.clear();
    }

    std::string open_;
    std::size_t first_ = 0;
    nlohmann::json objects_ = nlohmann::json::array();
};

constexpr float kBezelRim = 0.012f;

Rect around(Point anchor, float halfWidth, float halfHeight) {
    return {anchor[0] - halfWidth, anchor[1] - halfHeight, anchor[0] + halfWidth, anchor[1] + halfHeight};
}

// A rim around an instrument anchor, standing out of the face, and the
// glass within it standing a little further.
void bezel(MeshBuilder& mesh, Rect outer, float face = kFace) {
    const float rim = face + 0.005f, glass = face + 0.01f;
    const float ix0 = outer.x0 + kBezelRim, iy0 = outer.y0 + kBezelRim;
    const float ix1 = outer.x1 - kBezelRim, iy1 = outer.y1 - kBezelRim;
    // The rim's sides toward the glass lie against it and are left out.
    mesh.box({outer.x0, outer.y0, face}, {outer.x1, iy0, rim}, kBezel, 0.0f, kAllFaces & ~kTop);
    mesh.box({outer.x0, iy1, face}, {outer.x1, outer.y1, rim}, kBezel, 0.0f, kAllFaces & ~kBottom);
    mesh.box({outer.x0, iy0, face}, {ix0, iy1, rim}, kBezel, 0.0f, kFront | kLeft);
    mesh.box({ix1, iy0, face}, {outer.x1, iy1, rim}, kBezel, 0.0f, kFront | kRight);
    mesh.box({ix0, iy0, rim}, {ix1, iy1, glass}, kGlass);
}

nlohmann::json point(Point p) { return {p[0], p[1], p[2]}; }

nlohmann::json layout() {
    // Left-hand mounts (hands, shoulders, hips) on the left edge of the
    // dashboard, right-hand ones on the right edge.
    nlohmann::json ammo = nlohmann::json::array();
    for (int mount = 0; mount < 6; ++mount) {
        const float x = mount % 2 == 0 ? -1.02f : 0.9f;
        const float y = -0.58f - 0.1f * static_cast<float>(mount / 2);
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


// The lamp lenses' places on the dashboard face: a row right of the radar,
// above the heading screen.
Rect lampLens(int lamp) {
    const float x = 0.36f + 0.11f * static_cast<float>(lamp);
    return {x - 0.04f, -0.58f, x + 0.04f, -0.54f};
}

}  // namespace

std::array<float, 3> demoLampCentre(int lamp) {
    const Rect lens = lampLens(lamp);
    return {(lens.x0 + lens.x1) / 2, (lens.y0 + lens.y1) / 2, kFace + 0.015f};
}

// The cabin ends at the eye's plane (z = 0): nothing behind the eye is drawn.
// Every screen's bezel frames the marks its instrument draws at their widest
// (the overview's status line reaches 0.23 right of its anchor).
CockpitModel demoCockpit() {
    const Rect bezels[] = {{kOverview[0] - 0.185f, kOverview[1] - 0.21f, kOverview[0] + 0.255f, kOverview[1] + 0.2f},
                           around(kRadar, 0.215f, 0.215f), around(kHeading, 0.2f, 0.08f)};
    std::vector<Rect> covered(std::begin(bezels), std::end(bezels));
    for (int lamp = 0; lamp < 5; ++lamp) covered.push_back(lampLens(lamp));
    const Rect pod{kTorso[0] - 0.14f, kTorso[1] - 0.05f, kTorso[0] + 0.14f, kTorso[1] + 0.055f};

    MeshBuilder mesh;
    mesh.object("Dashboard");
    // The face down to the floor, open where bezels and lamps stand on it.
    mesh.faceWithHoles({-1.3f, kFloor, 1.3f, kSillTop}, kFace, covered, kPanel);
    mesh.box({-1.3f, kSillTop - 0.02f, kFace}, {1.3f, kSillTop, kSillFront}, kHull);  // the sill
    for (const Rect& outer : bezels) bezel(mesh, outer);
    // The torso gauge's screen on its post, whose foot stands on the sill.
    mesh.box({kTorso[0] - 0.04f, kSillTop - 0.02f, kSillFront}, {kTorso[0] + 0.04f, kSillTop, kPodFace - 0.005f},
             kHull);
    mesh.box({kTorso[0] - 0.015f, kSillTop, kPodFace - 0.015f}, {kTorso[0] + 0.015f, pod.y0, kPodFace - 0.005f}, kHull);
    mesh.box({pod.x0, pod.y0, kPodFace - 0.02f}, {pod.x1, pod.y1, kPodFace}, kHull, 0.0f, kAllFaces & ~kFront);
    bezel(mesh, pod, kPodFace);
    mesh.object("Side consoles");
    // Their inner walls, from the face back to the eye's plane.
    for (const float x : {-1.3f, 1.3f}) {
        const float outer = x < 0 ? -1.5f : 1.5f;
        mesh.box({std::min(x, outer), kFloor, kFace}, {std::max(x, outer), 0.35f, 0.0f}, kHull);
    }
    mesh.box({-1.3f, kFloor - 0.1f, kFace}, {1.3f, kFloor, 0.0f}, kHull);  // the floor, before the dashboard
    mesh.object("Canopy frame");
    mesh.box({-1.4f, 0.5f, -1.35f}, {-1.25f, 0.95f, -1.2f}, kFrame);
    mesh.box({1.25f, 0.5f, -1.35f}, {1.4f, 0.95f, -1.2f}, kFrame);
    // The roof's underside on either side of the spine below it.
    mesh.box({-1.4f, 0.95f, -1.35f}, {-0.05f, 1.1f, 0.0f}, kFrame);
    mesh.box({0.05f, 0.95f, -1.35f}, {1.4f, 1.1f, 0.0f}, kFrame);
    mesh.box({-0.05f, 0.9f, -1.35f}, {0.05f, 0.95f, 0.0f}, kFrame);  // the spine
    for (int lamp = 0; lamp < 5; ++lamp) {
        mesh.object("Status lamp lens.00" + std::to_string(lamp + 1));
        const Rect lens = lampLens(lamp);
        mesh.box({lens.x0, lens.y0, kFace}, {lens.x1, lens.y1, kFace + 0.015f}, {0.3f, 0.3f, 0.3f}, 1.0f);
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
