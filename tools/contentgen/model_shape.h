#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <nlohmann/json.hpp>

namespace bastion::contentgen {

// A point in world axes and world units (y up, z toward the viewer).
struct Point {
    double x = 0;
    double y = 0;
    double z = 0;
};

inline constexpr int kFlat = 0;
inline constexpr int kSmooth = 1;
inline constexpr int kTextured = 2;

// Builds one decoded model file: vertices in hundredths with the file's z
// pointing the other way, faces with their normals (length 128) and the
// per-vertex lighting records of smooth faces.
class ModelShape {
public:
    // Directional scale and ambient term of every face this shape adds.
    static constexpr int kShade = 150;
    static constexpr int kBias = 70;

    int vertex(Point p);

    // A face wound as given; its normal follows the winding (counter-clockwise
    // seen from the front).
    void face(const std::vector<int>& corners, int group, std::int32_t materialWord);

    // A face of a solid: wound so that its normal points away from `inside`.
    void solidFace(std::vector<int> corners, Point inside, int group, std::int32_t materialWord);

    // Smooth-shading record of vertex `index` with a world-axes normal.
    void lightVertex(int index, Point normal);

    // Solids standing on `base` (the centre of their bottom face).
    void box(Point base, Point size, std::int32_t materialWord);
    void pyramid(Point base, double width, double height, std::int32_t materialWord);
    // An n-sided upright cylinder; smooth sides carry lighting records.
    void cylinder(Point base, double radius, double height, int sides, std::int32_t materialWord, bool smooth);

    // A thin sheet drawn from both sides: two back-to-back faces on the same
    // corners.
    void panel(Point a, Point b, Point c, Point d, std::int32_t materialWord);

    // A textured quad (texture number `texture`) as given.
    void decal(Point a, Point b, Point c, Point d, int texture);

    std::size_t vertexCount() const { return vertices_.size(); }
    std::size_t faceCount() const { return faces_.size(); }

    nlohmann::json toJson() const;

private:
    struct Face {
        std::vector<int> corners;
        int group;
        std::int32_t materialWord;
        std::array<int, 3> normal;  // file axes
    };
    std::array<int, 3> fileNormal(const std::vector<int>& corners) const;

    std::vector<std::array<int, 3>> vertices_;  // file axes, hundredths
    std::vector<Face> faces_;
    std::vector<std::array<std::int64_t, 4>> lighting_;
};

}  // namespace bastion::contentgen
