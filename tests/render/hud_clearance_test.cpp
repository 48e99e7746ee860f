// The demo cockpit against the texts the playing view hangs in front of it:
// in the default desktop view (eye at the cockpit origin, looking along -Z)
// no head-up line may fall on any part of the cabin, and every instrument's
// marks must lie on its own screen's glass.

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "contentgen/cockpit_model.h"
#include "render/internal/scene_texts.h"
#include "support/gl/desktop_projection.h"
#include "world/world.h"

namespace bastion {
namespace {

using Point = std::array<float, 3>;
using Flat = std::array<float, 2>;

// A rectangle in a plane facing the eye: x0..x1 by y0..y1 at depth z.
struct Plate {
    std::string what;
    float x0, y0, x1, y1, z;
};

// A text line as `text` draws it: from its origin, 4 sizes per character,
// a size above the origin and three below.
Plate textPlate(const std::string& words, Point origin, float size) {
    return {words, origin[0], origin[1] - 3 * size, origin[0] + 4 * size * static_cast<float>(words.size()),
            origin[1] + size, origin[2]};
}

constexpr float kNear = 0.05f;

Flat projected(const Point& p) {
    const vant::Matrix projection = testing_support::desktopProjection();
    return {projection[0] * p[0] / -p[2], projection[5] * p[1] / -p[2]};
}

// The part of a triangle in front of the near plane, projected.
std::vector<Flat> projectedTriangle(const std::array<Point, 3>& corners) {
    std::vector<Flat> polygon;
    for (std::size_t i = 0; i < 3; ++i) {
        const Point& a = corners[i];
        const Point& b = corners[(i + 1) % 3];
        const bool aIn = a[2] <= -kNear, bIn = b[2] <= -kNear;
        if (aIn) polygon.push_back(projected(a));
        if (aIn != bIn) {
            const float t = (-kNear - a[2]) / (b[2] - a[2]);
            polygon.push_back(projected({a[0] + t * (b[0] - a[0]), a[1] + t * (b[1] - a[1]), -kNear}));
        }
    }
    return polygon;
}

// Whether a convex polygon and an axis-aligned rectangle share more than an
// edge (separating axes: the rectangle's two and the polygon's edge normals).
bool overlaps(const std::vector<Flat>& polygon, Flat low, Flat high) {
    if (polygon.size() < 3) return false;
    constexpr float kSlack = 1e-5f;
    for (int axis = 0; axis < 2; ++axis) {
        const auto [least, most] = std::minmax_element(polygon.begin(), polygon.end(),
                                                       [axis](const Flat& a, const Flat& b) { return a[axis] < b[axis]; });
        if ((*most)[axis] <= low[axis] + kSlack || (*least)[axis] >= high[axis] - kSlack) return false;
    }
    const std::array<Flat, 4> box{{low, {high[0], low[1]}, high, {low[0], high[1]}}};
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Flat& a = polygon[i];
        const Flat& b = polygon[(i + 1) % polygon.size()];
        const Flat normal{a[1] - b[1], b[0] - a[0]};
        const auto along = [&normal](const Flat& p) { return normal[0] * p[0] + normal[1] * p[1]; };
        float polyLow = along(a), polyHigh = along(a);
        for (const Flat& p : polygon) polyLow = std::min(polyLow, along(p)), polyHigh = std::max(polyHigh, along(p));
        float boxLow = along(box[0]), boxHigh = along(box[0]);
        for (const Flat& p : box) boxLow = std::min(boxLow, along(p)), boxHigh = std::max(boxHigh, along(p));
        const float scale = std::max(std::abs(normal[0]), std::abs(normal[1]));
        if (polyHigh <= boxLow + kSlack * scale || boxHigh <= polyLow + kSlack * scale) return false;
    }
    return true;
}

struct Cabin {
    contentgen::CockpitModel model = contentgen::demoCockpit();

    std::array<Point, 3> triangle(std::size_t first) const {
        return {model.vertices[first].position, model.vertices[first + 1].position, model.vertices[first + 2].position};
    }

    Point anchor(const char* name) const {
        const auto& value = model.layout.at(name);
        return {value[0].get<float>(), value[1].get<float>(), value[2].get<float>()};
    }

    // The nearest cabin triangle that the ray from the eye through `p` meets
    // beyond `p`, or none.
    const contentgen::CockpitVertex* behind(const Point& p) const {
        const contentgen::CockpitVertex* nearest = nullptr;
        float nearestT = 1e9f;
        for (std::size_t i = 0; i + 2 < model.vertices.size(); i += 3) {
            const std::array<Point, 3> t = triangle(i);
            // Moeller-Trumbore with the ray eye + s * p.
            const Point e1{t[1][0] - t[0][0], t[1][1] - t[0][1], t[1][2] - t[0][2]};
            const Point e2{t[2][0] - t[0][0], t[2][1] - t[0][1], t[2][2] - t[0][2]};
            const Point h{p[1] * e2[2] - p[2] * e2[1], p[2] * e2[0] - p[0] * e2[2], p[0] * e2[1] - p[1] * e2[0]};
            const float det = e1[0] * h[0] + e1[1] * h[1] + e1[2] * h[2];
            if (std::abs(det) < 1e-9f) continue;
            const Point s{-t[0][0], -t[0][1], -t[0][2]};
            const float u = (s[0] * h[0] + s[1] * h[1] + s[2] * h[2]) / det;
            const Point q{s[1] * e1[2] - s[2] * e1[1], s[2] * e1[0] - s[0] * e1[2], s[0] * e1[1] - s[1] * e1[0]};
            const float v = (p[0] * q[0] + p[1] * q[1] + p[2] * q[2]) / det;
            const float along = (e2[0] * q[0] + e2[1] * q[1] + e2[2] * q[2]) / det;
            if (u < 0 || v < 0 || u + v > 1 || along < 1.0f || along >= nearestT) continue;
            nearestT = along;
            nearest = &model.vertices[i];
        }
        return nearest;
    }
};

// The texts of the playing view at their longest: objective texts of the
// campaigns, prototypes and skirmishes with full counters, and the
// end-of-mission and co-op lines.
std::vector<Plate> headUpPlates(Point torso) {
    std::vector<Plate> plates;
    for (const char* objective :
         {"FORTRESS DEFENSES + SUPPLIES", "STOP AIR DROP / CLEAR GROUND FORCES", "PROTECT UR / DESTROY 2 MECHS",
          "PROTOTYPE / SEED 4294967295 / DESTROY 12 TARGETS", "ELIMINATE 10/10 / 12 HOSTILES / 1200 M",
          "OBJECTIVES COMPLETE / WAIT FOR DEBRIS"}) {
        World world;
        world.objectiveText = objective;
        world.pilot.health = 100.0f;
        world.counters[0] = 20;
        world.counters[1] = 10;
        world.counters[2] = 10;
        const std::vector<std::string> lines = missionTextLines(world);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const Vec3 origin = missionLineOrigin({torso[0], torso[1], torso[2]}, i, lines[i].size());
            plates.push_back(textPlate(lines[i], {origin.x, origin.y, origin.z}, kMissionTextSize));
        }
    }
    const struct {
        const char* words;
        HeadUpPlacement at;
    } lines[] = {
        {"HEAVY MG UNLOCKED / NEW MISSIONS", kResultPlacement},
        {"PROGRESS NOT SAVED", kSaveNoticePlacement},
        {"MISSION COMPLETE", kHeadlinePlacement},
        {"ONE LIFE LOST - ENTER: MISSION SELECT", kPromptPlacement},
        {"VOICE DISABLED (--NO-SOUND)", kCoopNoticePlacement},
    };
    for (const auto& line : lines) plates.push_back(textPlate(line.words, {line.at.x, line.at.y, -2.0f}, line.at.size));
    return plates;
}

TEST(HudClearance, HeadUpLinesFallOnNoPartOfTheCabin) {
    const Cabin cabin;
    for (const Plate& plate : headUpPlates(cabin.anchor("torso"))) {
        const Flat low = projected({plate.x0, plate.y0, plate.z});
        const Flat high = projected({plate.x1, plate.y1, plate.z});
        EXPECT_TRUE(low[0] >= -1 && low[1] >= -1 && high[0] <= 1 && high[1] <= 1) << plate.what << " leaves the view";
        int struck = 0;
        for (std::size_t i = 0; i + 2 < cabin.model.vertices.size(); i += 3)
            struck += overlaps(projectedTriangle(cabin.triangle(i)), low, high) ? 1 : 0;
        EXPECT_EQ(struck, 0) << plate.what << " falls on " << struck << " cabin triangles";
    }
}

// Each instrument's marks at their widest, as the instruments draw them
// around their anchors, must show against the glass of their own screen.
TEST(HudClearance, InstrumentsStayOnTheirScreens) {
    const Cabin cabin;
    const auto glass = contentgen::kScreenGlass;
    struct Mark {
        const char* anchor;
        Plate plate;
    };
    const auto words = [](const char* anchor, const std::string& text, float x, float y, float size) {
        return Mark{anchor, textPlate(text, {x, y, 0.0f}, size)};
    };
    const Mark marks[] = {
        words("overview", "ARMOR CRITICAL", -0.16f, 0.17f, 0.007f),
        words("overview", "LEGS / TORSO", -0.15f, -0.13f, 0.0055f),
        words("overview", "TARGETS 999", -0.16f, -0.17f, 0.0065f),
        {"overview", {"legs and torso", -0.107f, -0.112f, 0.107f, 0.132f, 0.0f}},
        {"radar", {"rings and cross", -0.192f, -0.192f, 0.192f, 0.192f, 0.0f}},
        words("torso", "-90", -0.035f, -0.013f, 0.006f),
        {"torso", {"scale and pointer", -0.102f, 0.006f, 0.102f, 0.037f, 0.0f}},
        words("heading", "HDG 359", -0.155f, 0.04f, 0.009f),
        words("heading", "TORSO +/-90", -0.155f, -0.025f, 0.006f),
    };
    for (const Mark& mark : marks) {
        const Point anchor = cabin.anchor(mark.anchor);
        const Plate& p = mark.plate;
        for (const Flat corner : {Flat{p.x0, p.y0}, Flat{p.x1, p.y0}, Flat{p.x0, p.y1}, Flat{p.x1, p.y1}}) {
            const Point at{anchor[0] + corner[0], anchor[1] + corner[1], anchor[2]};
            const contentgen::CockpitVertex* hit = cabin.behind(at);
            EXPECT_TRUE(hit != nullptr && hit->colour == glass)
                << mark.anchor << " " << p.what << " corner (" << corner[0] << ", " << corner[1] << ") is off its screen";
        }
    }
}

}  // namespace
}  // namespace bastion
