// The debrief a player sees after really winning a campaign mission: the
// scripted player wins the first mission of a new campaign through
// World::step, the shell records the win as its frame loop does, and the
// debrief is drawn as the desktop window shows it. With BASTION_SHOT_DIR set
// the picture is also written there, for people to look at.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <GL/glew.h>
#include <gtest/gtest.h>

#include "ppm_image.h"
#include "render/renderer.h"
#include "shell/camera.h"
#include "shell/requests.h"
#include "shell/screenshot.h"
#include "support/demo_content.h"
#include "support/desktop_view.h"
#include "support/gl/gl_window.h"
#include "support/gl/offscreen_target.h"
#include "support/scripted_player.h"
#include "support/temp_folder.h"

namespace bastion {
namespace {

using testing_support::amberText;
using testing_support::greenText;
using testing_support::kViewHeight;
using testing_support::kViewWidth;
using testing_support::Rgb;
using testing_support::viewPixelOf;

// The window columns and rows of a panel rectangle (panel units, y down).
struct Area {
    int left, right, bottom, top;
};

Area panelArea(float x0, float y0, float x1, float y1) {
    constexpr float kUnit = 0.013f, kDistance = 3.0f;
    const auto low = viewPixelOf((x0 - 160.0f) * kUnit, (137.0f - y1) * kUnit, -kDistance);
    const auto high = viewPixelOf((x1 - 160.0f) * kUnit, (137.0f - y0) * kUnit, -kDistance);
    return {low.x, high.x, low.y, high.y};
}

int countIn(const PpmImage& picture, const Area& area, const std::function<bool(const Rgb&)>& test) {
    return picture.count(area.bottom, area.top, area.left, area.right, test);
}

class DebriefAfterWin : public ::testing::Test {
protected:
    Frontend frontend;
    World world;
    ClientConfig config;
    std::ostringstream errors;
    ShellSession session{frontend, world, config, errors};
    testing_support::TempFolder saves{"debrief_saves"};
};

TEST_F(DebriefAfterWin, NamesTheWonMissionAndItsRewardInsideThePanel) {
    session.sources.retail = testing_support::demoContent();
    session.savePath = saves.path() / "campaign.json";
    frontend.campaignRow = 0;
    startNewCampaign(session);
    ASSERT_EQ(frontend.missionCursor, 0);
    deployMission(session, Input{});
    ASSERT_EQ(frontend.screen, Frontend::kPlaying);

    const testing_support::PlayResult played = testing_support::playScripted(world, 900.0f);
    ASSERT_EQ(played.status, kStatusWon) << "after " << played.time << " s";
    recordMissionResult(session, Input{});

    ASSERT_EQ(frontend.screen, Frontend::kDebrief);
    EXPECT_EQ(frontend.debriefMission, 0);
    EXPECT_EQ(frontend.progression.completed, 1u);
    EXPECT_EQ(frontend.resultLine, "GRENADE UNLOCKED");
    EXPECT_EQ(frontend.secondResultLine, "PROGRESS SAVED") << errors.str();

    testing_support::requireGlContext();
    Renderer renderer(session.sources.retail / "cockpit");
    testing_support::OffscreenTarget target{kViewWidth, kViewHeight};
    target.bindAndClear(0, 0, 0);
    const vant::Matrix camera = desktopCamera(world, frontend, session.look.yaw, session.look.pitch);
    renderer.draw(world, desktopProjection(kViewWidth, kViewHeight), camera, camera, false, &frontend);
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    std::vector<std::uint8_t> bottomUp(static_cast<std::size_t>(kViewWidth) * kViewHeight * 3);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target.framebuffer());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kViewWidth, kViewHeight, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    if (const char* folder = std::getenv("BASTION_SHOT_DIR"); folder != nullptr && *folder != '\0')
        writePpmFile(std::filesystem::path(folder) / "debrief-after-win.ppm", kViewWidth, kViewHeight, bottomUp);
    // Top row first, as the program's screenshots hold it.
    PpmImage picture{kViewWidth, kViewHeight, {}};
    const std::size_t rowBytes = static_cast<std::size_t>(kViewWidth) * 3;
    for (std::size_t row = kViewHeight; row-- > 0;)
        picture.rgb.insert(picture.rgb.end(), bottomUp.begin() + static_cast<std::ptrdiff_t>(row * rowBytes),
                           bottomUp.begin() + static_cast<std::ptrdiff_t>((row + 1) * rowBytes));

    // The debrief's lines: headline, mission title, reward and save notice,
    // each a band of glyph height from its origin (a size above, three below).
    const struct {
        const char* what;
        float y, size;
        bool (*colour)(const Rgb&);
    } lines[] = {
        {"headline", 22, 2.0f, amberText},
        {"mission title", 181, 1.1f, greenText},
        {"reward", 205, 1.15f, amberText},
        {"save notice", 226, 1.05f, greenText},
    };
    // The panel cuts off what runs past its border, so a line too long for
    // it shows as glyphs in the strip just inside the border.
    const Area plateSpot = panelArea(310, 240, 310, 240);
    const Rgb plate = picture.at({plateSpot.left, plateSpot.bottom});
    for (const auto& line : lines) {
        const float top = line.y - line.size, bottom = line.y + 3 * line.size;
        EXPECT_GT(countIn(picture, panelArea(4, top, 316, bottom), line.colour), 20) << line.what << " is not drawn";
        const int spilt = countIn(picture, panelArea(304, top, 316, bottom),
                                  [&plate](const Rgb& p) { return !testing_support::nearColour(p, plate, 8); });
        EXPECT_EQ(spilt, 0) << line.what << " runs into the panel's border";
    }
}

}  // namespace
}  // namespace bastion
