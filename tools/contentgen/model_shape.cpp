#include "contentgen/model_shape.h"

#include <algorithm>
#include <cmath>

#include "contentgen/palette.h"

namespace bastion::contentgen {
namespace {

constexpr double kNormalLength = 128.0;
constexpr double kPi = 3.14159265358979323846;

Point minus(Point a, Point b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double dotted(Point a, Point b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// A world-axes direction as a file-axes normal of length 128.
std::array<int, 3> scaledFileNormal(Point n) {
    const double size = std::sqrt(dotted(n, n));
    if (size == 0) return {0, 0, 0};
    const double k = kNormalLength / size;
    return {static_cast<int>(std::lround(n.x * k)), static_cast<int>(std::lround(n.y * k)),
            static_cast<int>(std::lround(-n.z * k))};
}

std::uint32_t halves(int high, int low) {
    return static_cast<std::uint32_t>(high & 0xFFFF) << 16 | static_cast<std::uint32_t>(low & 0xFFFF);
}

Point worldPoint(const std::array<int, 3>& v) { return {v[0] / 100.0, v[1] / 100.0, -v[2] / 100.0}; }

}  // namespace

int ModelShape::vertex(Point p) {
    vertices_.push_back({static_cast<int>(std::lround(p.x * 100)), static_cast<int>(std::lround(p.y * 100)),
                         static_cast<int>(std::lround(-p.z * 100))});
    return static_cast<int>(vertices_.size() - 1);
}

std::array<int, 3> ModelShape::fileNormal(const std::vector<int>& corners) const {
    // Newell's method: robust for any planar polygon.
    Point n;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const Point a = worldPoint(vertices_[static_cast<std::size_t>(corners[i])]);
        const Point b = worldPoint(vertices_[static_cast<std::size_t>(corners[(i + 1) % corners.size()])]);
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
    }
    return scaledFileNormal(n);
}

void ModelShape::face(const std::vector<int>& corners, int group, std::int32_t materialWord) {
    faces_.push_back({corners, group, materialWord, fileNormal(corners)});
}

void ModelShape::solidFace(std::vector<int> corners, Point inside, int group, std::int32_t materialWord) {
    const std::array<int, 3> n = fileNormal(corners);
    Point centre;
    for (int c : corners) {
        const Point p = worldPoint(vertices_[static_cast<std::size_t>(c)]);
        centre = {centre.x + p.x / static_cast<double>(corners.size()), centre.y + p.y / static_cast<double>(corners.size()),
                  centre.z + p.z / static_cast<double>(corners.size())};
    }
    if (dotted({static_cast<double>(n[0]), static_cast<double>(n[1]), -static_cast<double>(n[2])},
               minus(centre, inside)) < 0)
        std::reverse(corners.begin(), corners.end());
    face(corners, group, materialWord);
}

void ModelShape::lightVertex(int index, Point normal) {
    const std::array<int, 3> n = scaledFileNormal(normal);
    lighting_.push_back({halves(n[0], n[1]), halves(n[2], index), kShade, kBias});
}

void ModelShape::box(Point base, Point size, std::int32_t materialWord) {
    int v[8];
    for (int i = 0; i < 8; ++i) {
        v[i] = vertex({base.x + ((i & 1) ? 0.5 : -0.5) * size.x, base.y + ((i & 2) ? size.y : 0.0),
                       base.z + ((i & 4) ? 0.5 : -0.5) * size.z});
    }
    const Point inside{base.x, base.y + size.y / 2, base.z};
    const int sides[6][4] = {{1, 3, 7, 5}, {0, 4, 6, 2}, {2, 6, 7, 3}, {0, 1, 5, 4}, {4, 5, 7, 6}, {0, 2, 3, 1}};
    for (const auto& side : sides) solidFace({v[side[0]], v[side[1]], v[side[2]], v[side[3]]}, inside, kFlat, materialWord);
}

void ModelShape::pyramid(Point base, double width, double height, std::int32_t materialWord) {
    const double h = width / 2;
    const int corners[4] = {vertex({base.x - h, base.y, base.z - h}), vertex({base.x + h, base.y, base.z - h}),
                            vertex({base.x + h, base.y, base.z + h}), vertex({base.x - h, base.y, base.z + h})};
    const int apex = vertex({base.x, base.y + height, base.z});
    const Point inside{base.x, base.y + height / 4, base.z};
    solidFace({corners[0], corners[1], corners[2], corners[3]}, inside, kFlat, materialWord);
    for (int i = 0; i < 4; ++i) solidFace({corners[i], corners[(i + 1) % 4], apex}, inside, kFlat, materialWord);
}

void ModelShape::cylinder(Point base, double radius, double height, int sides, std::int32_t materialWord,
                          bool smooth) {
    std::vector<int> bottom;
    std::vector<int> top;
    for (int i = 0; i < sides; ++i) {
        const double angle = 2 * kPi * i / sides;
        const Point radial{std::cos(angle), 0, std::sin(angle)};
        bottom.push_back(vertex({base.x + radius * radial.x, base.y, base.z + radius * radial.z}));
        top.push_back(vertex({base.x + radius * radial.x, base.y + height, base.z + radius * radial.z}));
        if (smooth) {
            lightVertex(bottom.back(), radial);
            lightVertex(top.back(), radial);
        }
    }
    const Point inside{base.x, base.y + height / 2, base.z};
    // Smooth faces take their shade from the lighting records: no base shade.
    const std::int32_t sideMaterial = smooth ? (materialWord & ~0xFF) : materialWord;
    for (int i = 0; i < sides; ++i) {
        const int j = (i + 1) % sides;
        solidFace({bottom[i], bottom[j], top[j], top[i]}, inside, smooth ? kSmooth : kFlat, sideMaterial);
    }
    solidFace(bottom, inside, kFlat, materialWord);
    solidFace(top, inside, kFlat, materialWord);
}

void ModelShape::panel(Point a, Point b, Point c, Point d, std::int32_t materialWord) {
    const int corners[4] = {vertex(a), vertex(b), vertex(c), vertex(d)};
    face({corners[0], corners[1], corners[2], corners[3]}, kFlat, materialWord);
    face({corners[3], corners[2], corners[1], corners[0]}, kFlat, materialWord);
}

void ModelShape::decal(Point a, Point b, Point c, Point d, int texture) {
    face({vertex(a), vertex(b), vertex(c), vertex(d)}, kTextured, texture);
}

nlohmann::json ModelShape::toJson() const {
    nlohmann::json vertices = nlohmann::json::array();
    for (const auto& v : vertices_) vertices.push_back(v);
    nlohmann::json faces = nlohmann::json::array();
    nlohmann::json normals = nlohmann::json::array();
    for (const Face& f : faces_) {
        const std::array<int, 3> colour =
            f.group == kTextured ? std::array<int, 3>{255, 255, 255} : paletteColour(f.materialWord);
        faces.push_back({{"indices", f.corners},
                         {"group", f.group},
                         {"material", f.materialWord},
                         {"shade", kShade},
                         {"bias", kBias},
                         {"color", colour}});
        normals.push_back({f.normal[0], f.normal[1], f.normal[2], 0});
    }
    nlohmann::json lighting = nlohmann::json::array();
    for (const auto& record : lighting_) lighting.push_back(record);
    return {{"vertices", vertices}, {"faces", faces}, {"normals", normals}, {"lighting", lighting}};
}

}  // namespace bastion::contentgen
