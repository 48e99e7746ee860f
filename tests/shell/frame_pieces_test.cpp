// The frame loop's pieces that need no window: button latches, the camera
// and projection, the PPM writer and the exit summary.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <signal.h>
#include <sys/resource.h>

#include "shell/button_latches.h"
#include "shell/camera.h"
#include "shell/exit_summary.h"
#include "shell/frontend/frontend.h"
#include "shell/screenshot.h"
#include "support/child_process.h"
#include "support/temp_folder.h"
#include "world/world.h"

namespace bastion {
namespace {

using vant::Matrix;

void expectMatrix(const Matrix& got, const Matrix& want) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(got[i], want[i], 1e-6f) << "element " << i;
}

TEST(ButtonLatches, HeldButtonsWaitForARelease) {
    ButtonLatches latches;
    Input held;
    held.fire[0] = held.fire[5] = held.ping[1] = true;
    takeLatches(latches, held, 8);

    Input frame = held;
    frame.fire[2] = true;  // pressed after play started
    applyLatches(latches, frame, 8);
    EXPECT_FALSE(frame.fire[0]);
    EXPECT_FALSE(frame.fire[5]);
    EXPECT_FALSE(frame.ping[1]);
    EXPECT_TRUE(frame.fire[2]);

    Input released;
    released.ping[1] = true;
    applyLatches(latches, released, 8);  // mounts 0 and 5 let go
    Input again = held;
    applyLatches(latches, again, 8);
    EXPECT_TRUE(again.fire[0]);
    EXPECT_TRUE(again.fire[5]);
    EXPECT_FALSE(again.ping[1]);

    // The fire-only pass leaves the ping latches alone.
    ButtonLatches fireOnly;
    takeLatches(fireOnly, held, 6);
    EXPECT_FALSE(fireOnly.held[7]);
    Input pings;
    pings.ping[1] = true;
    takeLatches(latches, held, 8);
    applyLatches(latches, pings, 6);
    EXPECT_TRUE(pings.ping[1]);
    EXPECT_TRUE(latches.held[7]);
}

TEST(Camera, DesktopProjection) {
    const Matrix p = desktopProjection(1280, 800);
    Matrix want{};
    want[0] = 1.0f / (0.7602044f * 1.6f);
    want[5] = 1.3154358f;
    want[10] = -1.0000333f;
    want[11] = -1.0f;
    want[14] = -0.10000167f;
    expectMatrix(p, want);
    EXPECT_NEAR(desktopProjection(800, 800)[0], 1.3154358f, 1e-6f);
}

TEST(Camera, RotationsAndPlacement) {
    // A quarter turn about X looks up; the quaternion form agrees with both axes.
    expectMatrix(rotationX(1.5707964f), {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1});
    expectMatrix(rotation(angles(0.7f, 0.0f, 0.0f)), vant::rotationY(0.7f));
    expectMatrix(rotation(angles(0.0f, -0.3f, 0.0f)), rotationX(-0.3f));
    expectMatrix(rotation(angles(0.7f, -0.3f, 0.0f)), vant::multiply(vant::rotationY(0.7f), rotationX(-0.3f)));
    const Matrix c = placement({1, 2, 3}, 0.0f, 0.0f);
    expectMatrix(c, vant::translation(1, 2, 3));
}

class CameraWorld : public testing::Test {
protected:
    World world;
    Frontend frontend;

    void SetUp() override {
        world.pilot.position = {10, 0, -20};
        world.pilot.angles[0] = 3.0f;
        world.pilot.angles[1] = 0.5f;  // heading 3.5 wraps to 3.5 - 2 pi
        frontend.screen = Frontend::kPlaying;
    }
};

TEST_F(CameraWorld, EyeLooksAlongTheTorsoTurnedByTheMouse) {
    const float heading = 3.5f - 6.2831855f;
    expectMatrix(desktopCamera(world, frontend, 0.25f, -0.1f), placement({10, 12, -20}, heading + 0.25f, -0.1f));

    world.pilot.missile.active = true;
    world.pilot.missile.position = {1, 50, 2};
    world.pilot.missile.yaw = 0.4f;
    world.pilot.missile.pitch = -0.2f;
    expectMatrix(desktopCamera(world, frontend, 0.25f, -0.1f), placement({1, 50, 2}, 0.4f, -0.2f));
}

TEST_F(CameraWorld, DeadPilotSeesTheEjectionWithTheMouseLook) {
    world.pilot.dead = true;
    world.pilot.ejection = 3.0f;
    const Matrix ejection =
        vant::multiply(vant::translation(world.pilotPosition().x, world.pilotPosition().y, world.pilotPosition().z),
                       rotation(world.pilotOrientation()));
    const Matrix want = vant::multiply(vant::multiply(ejection, vant::rotationY(0.2f)), rotationX(0.1f));
    expectMatrix(desktopCamera(world, frontend, 0.2f, 0.1f), want);
    // Off the playing screen the eye camera stays.
    frontend.screen = Frontend::kMissionMenu;
    expectMatrix(desktopCamera(world, frontend, 0.0f, 0.0f), placement({10, 12, -20}, 3.5f - 6.2831855f, 0.0f));
}

TEST_F(CameraWorld, SpectatorWatchesLivingTeamMatesOrTheOverview) {
    frontend.spectating = true;
    expectMatrix(spectatorCamera(frontend, world), vant::multiply(vant::translation(10, 35, 5), rotationX(-0.4f)));
    const Matrix overview = spectatorCamera(frontend, world);
    EXPECT_NEAR(overview[6], -0.38941833f, 1e-6f);  // pitched 0.4 rad down
    EXPECT_NEAR(overview[5], 0.921061f, 1e-6f);

    Pilot dead;
    dead.dead = true;
    Pilot hurt;
    hurt.health = 0.0f;
    Pilot living;
    living.position = {100, 0, 100};
    living.angles[0] = 0.5f;
    Pilot second;
    second.position = {-50, 0, 0};
    frontend.otherPilots = {dead, living, hurt, second};
    frontend.spectateIndex = 2;  // wraps over the two living pilots
    const Matrix watching = spectatorCamera(frontend, world);
    expectMatrix(watching, placement({100 + 25 * std::sin(0.5f), 22, 100 + 25 * std::cos(0.5f)}, 0.5f, -0.35f));
    EXPECT_NEAR(rotationX(-0.35f)[6], -0.3428978f, 1e-6f);
    EXPECT_NEAR(rotationX(-0.35f)[5], 0.9393727f, 1e-6f);
    frontend.spectateIndex = 3;
    expectMatrix(spectatorCamera(frontend, world), placement({-50, 22, 25}, 0.0f, -0.35f));

    const Matrix look = vant::multiply(vant::multiply(spectatorCamera(frontend, world), vant::rotationY(0.1f)),
                                       rotationX(0.2f));
    expectMatrix(desktopCamera(world, frontend, 0.1f, 0.2f), look);
}

std::vector<std::uint8_t> gradient(int width, int height) {
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < width * height * 3; ++i) pixels.push_back(static_cast<std::uint8_t>(i));
    return pixels;
}

TEST(Screenshot, PpmHoldsTheTopRowFirst) {
    std::ostringstream out;
    writePpm(out, 2, 3, gradient(2, 3));
    const std::string header = "P6\n2 3\n255\n";
    const std::string want = header + std::string{12, 13, 14, 15, 16, 17, 6, 7, 8, 9, 10, 11, 0, 1, 2, 3, 4, 5};
    EXPECT_EQ(out.str(), want);
}

TEST(Screenshot, FileFailuresLeaveNoPicture) {
    const testing_support::TempFolder temp("screenshot");
    const std::filesystem::path path = temp.path() / "shot.ppm";
    const auto pixels = gradient(64, 64);
    writePpmFile(path, 64, 64, pixels);
    EXPECT_EQ(std::filesystem::file_size(path), 9u + 2u + 2u + 64u * 64u * 3u);

    try {
        writePpmFile(temp.path() / "missing" / "shot.ppm", 64, 64, pixels);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Cannot write screenshot");
    }

    // A file size limit makes the writes fail part way through.
    const int code = testing_support::runInChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            writePpmFile(path, 64, 64, pixels);
            return 1;
        } catch (const std::runtime_error& error) {
            if (std::string(error.what()) != "Cannot write screenshot") return 2;
        }
        return std::filesystem::exists(path) ? 3 : 0;
    });
    EXPECT_EQ(code, 0);
}

TEST(ExitSummary, FramesKillsAndTorsoDegrees) {
    World world;
    EXPECT_EQ(exitSummary(3, world), "Frames=3 destroyed=0 torso_degrees=0\n");
    world.kills = 12;
    world.pilot.angles[1] = -1.0f;
    EXPECT_EQ(exitSummary(250, world), "Frames=250 destroyed=12 torso_degrees=-57.2958\n");
}

}  // namespace
}  // namespace bastion
