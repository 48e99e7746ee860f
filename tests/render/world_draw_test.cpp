#include <array>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <GL/glew.h>
#include <gtest/gtest.h>

#include "contentgen/effect_art.h"
#include "contentgen/world_atlas.h"
#include "render/draw_stage.h"
#include "support/gl/desktop_projection.h"
#include "support/gl/offscreen_target.h"
#include "shell/frontend/frontend.h"
#include "support/demo_content.h"
#include "support/desktop_view.h"
#include "support/editable_content.h"
#include "support/content/files.h"
#include "support/refusal.h"
#include "world/world.h"

namespace bastion {
namespace {

using testing_support::byteColour;
using testing_support::desktopProjection;
using testing_support::kViewHeight;
using testing_support::kViewWidth;
using testing_support::nearColour;
using testing_support::refusal;
using testing_support::Rgb;
using testing_support::ViewPixel;

constexpr Vec3 kBoxColour{0.8f, 0.2f, 0.0f};
constexpr Vec3 kWreckColour{0.2f, 0.4f, 1.0f};
constexpr Vec3 kGround{0.2f, 0.5f, 0.1f};

// A box of one colour standing on y = `floor`, centred on x = z = 0.
Mesh boxMesh(Vec3 half, Vec3 colour, float floor = 0.0f) {
    Mesh mesh;
    const auto corner = [&](int i) {
        return Vec3{(i & 1) ? half.x : -half.x, floor + ((i & 2) ? 2.0f * half.y : 0.0f), (i & 4) ? half.z : -half.z};
    };
    const int faces[6][4] = {{4, 5, 7, 6}, {1, 0, 2, 3}, {0, 4, 6, 2}, {5, 1, 3, 7}, {6, 7, 3, 2}, {0, 1, 5, 4}};
    for (const auto& face : faces) {
        for (int k : {0, 1, 2, 0, 2, 3}) {
            WorldVertex vertex;
            vertex.position = corner(face[k]);
            vertex.colour = colour;
            mesh.push_back(vertex);
        }
    }
    return mesh;
}

// An upright square facing +Z whose every point samples the atlas at `uv`.
Mesh paintedPanel(float half, float u, float v) {
    Mesh mesh = boxMesh({half, half, 0.01f}, {0, 0, 0});
    for (WorldVertex& vertex : mesh) {
        vertex.u = u;
        vertex.v = v;
        vertex.textured = 1.0f;
    }
    return mesh;
}

Target targetWith(Mesh intact, Vec3 home = {}) {
    Target target;
    target.home = home;
    target.position = home;
    target.mesh = std::make_shared<Mesh>(std::move(intact));
    return target;
}

// Views of hand-made mission Worlds from a free camera, 1280 x 800, with the
// pilot and its cockpit far behind the camera, aiming at the sky.
class WorldDraw : public ::testing::Test {
protected:
    WorldDraw() { world = missionWorld(); }

    static World missionWorld() {
        World made;
        made.missionIndex = 0;
        made.targets.clear();
        made.groundColour = kGround;
        made.pilot.position = {0.0f, 0.0f, 400.0f};
        made.pilot.angles[3] = 1.5f;
        return made;
    }

    void drawView(const Frontend* menu = nullptr) {
        target.bindAndClear(1, 0, 1);
        renderer->draw(world, desktopProjection(), camera, camera, false, menu);
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    ViewPixel pixelOf(Vec3 p) const {
        const vant::Matrix view = vant::rigidInverse(camera);
        const float x = view[0] * p.x + view[4] * p.y + view[8] * p.z + view[12];
        const float y = view[1] * p.x + view[5] * p.y + view[9] * p.z + view[13];
        const float z = view[2] * p.x + view[6] * p.y + view[10] * p.z + view[14];
        return testing_support::viewPixelOf(x, y, z);
    }
    Rgb at(Vec3 p) const {
        const ViewPixel v = pixelOf(p);
        const std::array<int, 4> rgba = target.pixel(v.x, v.y);
        return {rgba[0], rgba[1], rgba[2]};
    }

    std::unique_ptr<Renderer> renderer = testing_support::makeRenderer();
    testing_support::OffscreenTarget target{kViewWidth, kViewHeight};
    // Six units up, forty before the origin, looking along -Z.
    vant::Matrix camera = vant::translation(0.0f, 6.0f, 40.0f);
    World world;
};

Rgb colourOf(Vec3 c) { return byteColour(c.x, c.y, c.z); }

TEST_F(WorldDraw, TargetsByState) {
    const Vec3 boxFront{0.0f, 4.0f, 4.0f};
    const Vec3 wreckFront{0.0f, 1.0f, 3.0f};
    struct Case {
        const char* name;
        bool active;
        bool hidden;
        float health;
        bool wreck;
        Rgb atBox;
        Rgb atWreck;
    };
    const Rgb box = colourOf(kBoxColour);
    const Rgb wreck = colourOf(kWreckColour);
    const Rgb ground = colourOf(kGround);
    const Case cases[] = {
        {"standing", true, false, 50.0f, true, box, box},
        {"hidden", true, true, 50.0f, true, ground, ground},
        {"inactive", false, false, 50.0f, true, ground, ground},
        // The wreck mesh lies below its origin: only its resting place
        // lifts it into view.
        {"destroyed", true, false, 0.0f, true, ground, wreck},
        {"destroyed without a wreck", true, false, -5.0f, false, ground, ground},
    };
    for (const Case& c : cases) {
        world = missionWorld();
        Target placed = targetWith(boxMesh({4, 4, 4}, kBoxColour));
        if (c.wreck) placed.wreck = std::make_shared<Mesh>(boxMesh({3, 1, 3}, kWreckColour, -2.0f));
        placed.active = c.active;
        placed.hidden = c.hidden;
        placed.health = c.health;
        world.targets.push_back(placed);
        drawView();
        EXPECT_EQ(at(boxFront), c.atBox) << c.name;
        EXPECT_EQ(at(wreckFront), c.atWreck) << c.name;
        EXPECT_EQ(renderer->targetModels.size(), 1u) << c.name;
    }
}

// Another World is uploaded afresh even when its first target has no mesh,
// and the same World is uploaded once.
TEST_F(WorldDraw, UploadsOncePerWorld) {
    const Vec3 front{0.0f, 4.0f, 4.0f};
    const Vec3 colours[] = {kBoxColour, kWreckColour};
    for (const Vec3 colour : colours) {
        world = missionWorld();
        world.targets.push_back(Target{});
        world.targets.push_back(targetWith(boxMesh({4, 4, 4}, colour)));
        drawView();
        EXPECT_EQ(at(front), colourOf(colour));
        const std::uint32_t uploaded = renderer->targetModels.at(1).vertexArray;
        drawView();
        EXPECT_EQ(renderer->targetModels.at(1).vertexArray, uploaded);
        EXPECT_EQ(renderer->uploadedWorld, world.identity);
    }
    // More targets than were uploaded: the lists follow.
    world.targets.push_back(targetWith(boxMesh({1, 1, 1}, kBoxColour), {30.0f, 0.0f, 0.0f}));
    drawView();
    EXPECT_EQ(renderer->targetModels.size(), 3u);
    EXPECT_EQ(renderer->wreckModels.size(), 3u);
}

TEST(WorldDrawEmpty, NoTargetsLoadNothing) {
    std::unique_ptr<Renderer> renderer = testing_support::makeRenderer();
    World world;
    world.missionIndex = 0;
    world.targets.clear();
    renderer->drawWorld(world);
    EXPECT_EQ(renderer->worldProgram, 0u);
    EXPECT_EQ(renderer->gameplayAtlas[0], 0u);
    EXPECT_EQ(renderer->pickupAtlas[0], 0u);
    EXPECT_EQ(renderer->uploadedWorld, 0u);
}

// A painted panel shows the atlas texel it samples: SB1's atlas from the
// shared copy, SB2's own, each by day and by night.
TEST_F(WorldDraw, PanelsSampleTheAtlasOfCampaignAndHour) {
    const float u = 20.5f / contentgen::kAtlasWidth;
    const float v = 30.5f / contentgen::kAtlasHeight;
    for (int campaign : {0, 1}) {
        for (bool night : {false, true}) {
            world = missionWorld();
            world.campaign = campaign;
            world.night = night;
            world.targets.push_back(targetWith(paintedPanel(4.0f, u, v)));
            drawView();
            const std::vector<std::uint8_t> atlas = contentgen::atlasPixels(campaign, night);
            const std::size_t texel = (30u * contentgen::kAtlasWidth + 20u) * 4u;
            EXPECT_EQ(at({0.0f, 4.0f, 0.02f}), (Rgb{atlas[texel], atlas[texel + 1], atlas[texel + 2]}))
                << "campaign " << campaign << " night " << night;
        }
    }
}

// The centre texel of frame `frame` of the demo explosion atlas over `below`.
Rgb explosionOver(const Rgb& below, int frame) {
    for (const contentgen::ArtImage& image : contentgen::effectArt()) {
        if (image.name != "explosion-atlas") continue;
        const std::size_t texel =
            (static_cast<std::size_t>(frame * image.width + image.width / 2) * image.width + image.width / 2) * 4;
        const float alpha = image.pixels[texel + 3] / 255.0f;
        Rgb blended;
        for (std::size_t k = 0; k < 3; ++k)
            blended[k] = static_cast<int>(std::lround(image.pixels[texel + k] * alpha + below[k] * (1.0f - alpha)));
        return blended;
    }
    return {};
}

TEST_F(WorldDraw, ExplosionsShowTheFrameOfTheirAge) {
    world.targets.push_back(targetWith(boxMesh({1, 1, 1}, kBoxColour), {0.0f, 0.0f, -300.0f}));
    const Vec3 centre{0.0f, 3.0f, 20.0f};
    drawView();
    const Rgb below = at(centre);
    struct Case {
        WeaponEffect::Kind kind;
        float age;
        int frame;  // -1: nothing drawn
    };
    const Case cases[] = {
        {WeaponEffect::kExplosion, 0.0f, 0},   {WeaponEffect::kExplosion, 0.55f, 5},
        {WeaponEffect::kExplosion, 0.95f, 9},  {WeaponEffect::kExplosion, 4.0f, 9},
        {WeaponEffect::kExplosion, -0.1f, -1}, {WeaponEffect::kFlash, 0.2f, -1},
    };
    for (const Case& c : cases) {
        WeaponEffect effect;
        effect.kind = c.kind;
        effect.position = centre;
        effect.age = c.age;
        effect.size = 8.0f;
        world.effects = {effect};
        drawView();
        const Rgb expected = c.frame < 0 ? below : explosionOver(below, c.frame);
        EXPECT_TRUE(nearColour(at(centre), expected, 4))
            << "kind " << c.kind << " age " << c.age << ": " << at(centre)[0] << "," << at(centre)[1] << ","
            << at(centre)[2] << " expected " << expected[0] << "," << expected[1] << "," << expected[2];
    }
}

// Seen from the side, a dead pilot's walker leans over; a cruise missile
// flies whether its owner lives or not.
TEST_F(WorldDraw, OtherPilotsAliveAndDead) {
    world.targets.push_back(targetWith(boxMesh({1, 1, 1}, kBoxColour), {0.0f, 0.0f, -300.0f}));
    camera = vant::multiply(vant::translation(40.0f, 6.0f, 0.0f), vant::rotationY(1.5707963f));
    drawView();
    std::vector<std::array<int, 4>> empty;
    for (int y = 0; y < kViewHeight; y += 2)
        for (int x = 0; x < kViewWidth; x += 2) empty.push_back(target.pixel(x, y));
    // The mean column of the pixels the pilots changed, and how many.
    const auto changed = [&](double& meanColumn) {
        std::size_t i = 0;
        int count = 0;
        double sum = 0;
        for (int y = 0; y < kViewHeight; y += 2)
            for (int x = 0; x < kViewWidth; x += 2, ++i)
                if (target.pixel(x, y) != empty[i]) {
                    ++count;
                    sum += x;
                }
        meanColumn = count > 0 ? sum / count : 0.0;
        return count;
    };
    Frontend menu;
    menu.screen = Frontend::kPlaying;
    Pilot other;
    other.slot = 1;
    menu.otherPilots = {other};
    double upright = 0;
    drawView(&menu);
    EXPECT_GT(changed(upright), 500);
    menu.otherPilots[0].dead = true;
    double leaning = 0;
    drawView(&menu);
    EXPECT_GT(changed(leaning), 500);
    // The lean carries the body towards +Z, to the left of this view.
    const int plusZ = pixelOf({0.0f, 8.0f, 3.0f}).x - pixelOf({0.0f, 8.0f, 0.0f}).x;
    EXPECT_GT((leaning - upright) * plusZ, 0.0) << leaning << " vs " << upright;

    menu.otherPilots[0].position = {0.0f, 0.0f, -400.0f};
    menu.otherPilots[0].missile.active = true;
    menu.otherPilots[0].missile.position = {0.0f, 6.0f, 0.0f};
    double missile = 0;
    drawView(&menu);
    EXPECT_GT(changed(missile), 20);
}

// The colour the flat terrain shows at (x, z): the last of its triangles
// over the point, as they are drawn in order without depth.
std::optional<Vec3> terrainColour(const World& world, float x, float z) {
    std::optional<Vec3> colour;
    const auto side = [](Vec3 a, Vec3 b, float px, float pz) {
        return (b.x - a.x) * (pz - a.z) - (b.z - a.z) * (px - a.x);
    };
    for (std::size_t i = 0; i + 2 < world.terrain.size(); i += 3) {
        const Vec3 a = world.terrain[i].position, b = world.terrain[i + 1].position, c = world.terrain[i + 2].position;
        const float s0 = side(a, b, x, z), s1 = side(b, c, x, z), s2 = side(c, a, x, z);
        if ((s0 >= 0 && s1 >= 0 && s2 >= 0) || (s0 <= 0 && s1 <= 0 && s2 <= 0)) colour = world.terrain[i].colour;
    }
    return colour;
}

// The bare range: its ground plate and the front face of its first box.
TEST_F(WorldDraw, DemoRangeGroundAndBox) {
    world = World();
    world.pilot.position = {0.0f, 0.0f, 400.0f};
    world.pilot.angles[3] = 1.5f;
    drawView();
    const Vec3 ground = world.groundColour;
    EXPECT_TRUE(nearColour(at({11.0f, 0.0f, 0.0f}), colourOf(ground), 1));
    EXPECT_TRUE(nearColour(at({0.0f, 3.0f, -15.0f}), byteColour(0.3f, 0.4f, 0.45f), 1));
    // Destroyed boxes are gone: the middle column opens onto the ground.
    for (Target& box : world.targets)
        if (box.position.x == 0.0f) box.health = 0.0f;
    drawView();
    EXPECT_TRUE(nearColour(at({0.0f, 3.0f, -15.0f}), colourOf(ground), 1));
}

// A demo mission: its terrain's colour on the ground, and its targets on
// top, gone while they are hidden.
TEST_F(WorldDraw, DemoMissionGroundAndTargets) {
    world = World();
    world.loadMission(testing_support::demoContent(), 1, 0, true);
    world.pilot.position = {0.0f, 0.0f, 400.0f};
    world.pilot.angles[3] = 1.5f;
    camera = vant::translation(0.0f, 20.0f, 60.0f);
    drawView();
    for (const Vec3 point : {Vec3{8.0f, 0.0f, 10.0f}, Vec3{-20.0f, 0.0f, 0.0f}, Vec3{0.0f, 0.0f, -20.0f}}) {
        const std::optional<Vec3> colour = terrainColour(world, point.x, point.z);
        ASSERT_TRUE(colour) << point.x << "," << point.z;
        EXPECT_EQ(at(point), colourOf(*colour)) << point.x << "," << point.z;
    }
    std::vector<std::array<int, 4>> shown;
    for (int y = 0; y < kViewHeight; y += 4)
        for (int x = 0; x < kViewWidth; x += 4) shown.push_back(target.pixel(x, y));
    for (Target& placed : world.targets) placed.hidden = true;
    drawView();
    int changed = 0;
    std::size_t i = 0;
    for (int y = 0; y < kViewHeight; y += 4)
        for (int x = 0; x < kViewWidth; x += 4) changed += target.pixel(x, y) != shown[i++] ? 1 : 0;
    EXPECT_GT(changed, 200);
}

// Each refusal of the atlas loading, from a broken copy of the demo tree.
TEST(WorldDrawRefusals, BrokenAtlasTrees) {
    struct Case {
        const char* name;
        int campaign;
        void (*breakTree)(const std::filesystem::path& root);
        const char* message;
    };
    const auto resize = [](const std::filesystem::path& file, long change) {
        std::filesystem::resize_file(file, static_cast<std::uintmax_t>(
                                               static_cast<long>(std::filesystem::file_size(file)) + change));
    };
    static const auto setSize = [](const std::filesystem::path& document, const char* size) {
        nlohmann::json missions = nlohmann::json::parse(testing_support::readFile(document));
        missions["atlas_size"] = nlohmann::json::parse(size);
        testing_support::writeFile(document, missions.dump());
    };
    static_cast<void>(resize);
    const Case cases[] = {
        {"intact SB1", 0, [](const std::filesystem::path&) {}, "accepted"},
        {"intact SB2", 1, [](const std::filesystem::path&) {}, "accepted"},
        {"SB1 night atlas missing", 0,
         [](const std::filesystem::path& root) { std::filesystem::remove(root / "sb2/shared/gameplay/atlas-night.rgba"); },
         "Decode gameplay atlas first"},
        {"SB1 atlas without the shared copy", 0,
         [](const std::filesystem::path& root) {
             std::filesystem::remove(root / "sb2/shared/gameplay/missions.json");
             std::filesystem::resize_file(root / "gameplay/atlas-day.rgba", 4);
         },
         "Decode gameplay atlas first"},
        {"SB2 day atlas a byte long", 1,
         [](const std::filesystem::path& root) {
             const std::filesystem::path file = root / "sb2/gameplay/atlas-day.rgba";
             std::filesystem::resize_file(file, std::filesystem::file_size(file) + 1);
         },
         "Decode gameplay atlas first"},
        {"SB1 atlas size zero", 0,
         [](const std::filesystem::path& root) { setSize(root / "sb2/shared/gameplay/missions.json", "[0, 158]"); },
         "Invalid atlas dimensions"},
        {"pickup atlas short", 1,
         [](const std::filesystem::path& root) {
             std::filesystem::resize_file(root / "sb2/shared/gameplay/atlas-night.rgba", 10);
         },
         "Missing pickup atlas"},
        {"pickup atlas too wide", 1,
         [](const std::filesystem::path& root) { setSize(root / "sb2/shared/gameplay/missions.json", "[5000, 1]"); },
         "Invalid atlas dimensions"},
    };
    for (const Case& c : cases) {
        testing_support::EditableContent tree;
        c.breakTree(tree.root());
        std::unique_ptr<Renderer> renderer = testing_support::makeRenderer(tree.root());
        World world;
        world.missionIndex = 0;
        world.campaign = c.campaign;
        world.targets = {targetWith(boxMesh({1, 1, 1}, kBoxColour))};
        EXPECT_EQ(refusal([&] { renderer->drawWorld(world); }), c.message) << c.name;
        EXPECT_EQ(renderer->gameplayAtlasKey, std::string(c.message) == "accepted" ? c.campaign : -1) << c.name;
    }
}

}  // namespace
}  // namespace bastion
