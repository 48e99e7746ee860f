#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include <GL/glew.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "render/internal/cockpit_frame.h"
#include "render/draw_stage.h"
#include "support/gl/desktop_projection.h"
#include "support/gl/offscreen_target.h"
#include "shell/frontend/frontend.h"
#include "support/desktop_view.h"
#include "support/editable_content.h"
#include "world/world.h"

namespace bastion {
namespace {

using testing_support::kViewHeight;
using testing_support::kViewWidth;
using testing_support::desktopProjection;
using testing_support::nearColour;
using testing_support::Rgb;
using testing_support::viewPixelOf;

// The four mission screens drawn as the desktop shows them.
class MissionMenuPixels : public ::testing::Test {
protected:
    void draw(const Frontend& menu) {
        target.bindAndClear(1, 0, 1);
        const vant::Matrix camera = cockpitFrame(world.pilot);
        renderer->draw(world, desktopProjection(), camera, camera, false, &menu);
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    // The colour at panel point (x, y), `depth` off the panel.
    Rgb panel(float x, float y, float depth = 0.0f) const {
        const auto at = viewPixelOf((x - 160.0f) * 0.013f, (137.0f - y) * 0.013f, depth - 3.0f);
        const std::array<int, 4> rgba = target.pixel(at.x, at.y);
        return {rgba[0], rgba[1], rgba[2]};
    }

    std::unique_ptr<Renderer> renderer = testing_support::makeRenderer();
    testing_support::OffscreenTarget target{kViewWidth, kViewHeight};
    World world;
};

TEST_F(MissionMenuPixels, SelectionRingDimsLockedThumbnailsAndShowsTheCube) {
    Frontend menu;
    menu.screen = Frontend::kMissionSelection;
    menu.sandbox = true;
    draw(menu);
    const Rgb open = panel(254 + 3, 64 + 3);  // mission 5's thumbnail corner
    const Rgb background = panel(100, 160);
    const Rgb cube = panel(160, 137 - 0.04f / 0.013f, 0.5f);
    menu.sandbox = false;
    draw(menu);
    const Rgb locked = panel(254 + 3, 64 + 3);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(locked[c], open[c] * 0.22, 3.0) << c;
    EXPECT_FALSE(nearColour(open, background, 6));
    EXPECT_FALSE(nearColour(cube, background, 6));
}

TEST_F(MissionMenuPixels, BriefingAndDebriefShowTheMissionThumbnail) {
    for (const Frontend::Screen screen : {Frontend::kBriefing, Frontend::kDebrief}) {
        Frontend menu;
        menu.screen = screen;
        draw(menu);
        const Rgb plate = panel(300, 260);
        const Rgb thumbnail = screen == Frontend::kBriefing ? panel(174, 44) : panel(96, 52);
        EXPECT_FALSE(nearColour(thumbnail, plate, 6)) << screen;
    }
}

TEST_F(MissionMenuPixels, LoadoutDrawsTheSelectedWeaponsPreview) {
    Frontend menu;
    menu.screen = Frontend::kLoadout;
    const auto previewPixels = [&] {
        int lit = 0;
        const Rgb plate = panel(300, 250);
        for (float y = 55; y <= 75; y += 1.0f) {
            for (float x = 215; x <= 245; x += 1.0f) lit += nearColour(panel(x, y), plate, 6) ? 0 : 1;
        }
        return lit;
    };
    menu.loadoutCursor = kRifle;
    draw(menu);
    EXPECT_GT(previewPixels(), 10);
    menu.loadoutCursor = kEmptyHand;
    draw(menu);
    EXPECT_EQ(previewPixels(), 0);
}

// Each screen names the image it cannot find.
TEST(MissionMenuAssets, MissingImagesAreNamed) {
    const struct {
        const char* folder;
        const char* name;
        Frontend::Screen screen;
        int row;
    } cases[] = {
        {"art", "mission-selection-panel", Frontend::kMissionSelection, 0},
        {"art", "mission-thumbnail-01", Frontend::kBriefing, 0},
        {"sb2/art", "sb2-mission-thumbnail-01", Frontend::kBriefing, 1},
        {"art", "weapon-loadout-panel", Frontend::kLoadout, 0},
    };
    for (const auto& c : cases) {
        testing_support::EditableContent content;
        const auto manifestPath = content.root() / c.folder / "manifest.json";
        nlohmann::json manifest = nlohmann::json::parse(std::ifstream(manifestPath));
        auto& assets = manifest.at("assets");
        for (auto it = assets.begin(); it != assets.end(); ++it) {
            if (it->at("name") == c.name) {
                assets.erase(it);
                break;
            }
        }
        std::ofstream(manifestPath) << manifest.dump();
        const auto renderer = testing_support::makeRenderer(content.root());
        Frontend menu;
        menu.screen = c.screen;
        menu.campaignRow = c.row;
        const std::string expected = std::string("Missing original asset: ") + c.name;
        try {
            renderer->frontend(menu, vant::identity);
            ADD_FAILURE() << "drawn without " << c.name;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), expected);
        }
    }
}

}  // namespace
}  // namespace bastion
