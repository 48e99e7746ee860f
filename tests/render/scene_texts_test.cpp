#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "render/internal/menu_rows.h"
#include "render/internal/scene_texts.h"
#include "render/internal/transforms.h"
#include "shell/frontend/frontend.h"
#include "world/world.h"

namespace bastion {
namespace {

TEST(HorizonName, ByCampaignAndIndex) {
    EXPECT_EQ(horizonName(0, 0), "horizon-01");
    EXPECT_EQ(horizonName(0, 5), "horizon-06");
    EXPECT_EQ(horizonName(0, 9), "horizon-06");
    EXPECT_EQ(horizonName(0, -1), "horizon-01");
    EXPECT_EQ(horizonName(1, 0), "sb2-horizon-01");
    EXPECT_EQ(horizonName(1, 19), "sb2-horizon-20");
    EXPECT_EQ(horizonName(1, 99), "sb2-horizon-100");
    EXPECT_EQ(horizonName(1, std::numeric_limits<int>::max()), "sb2-horizon-2147483648");
    EXPECT_EQ(horizonName(1, -3), "sb2-horizon--2");
}

TEST(MissionText, ObjectiveLinesThenStatusLine) {
    World world;
    world.pilot.health = 99.9f;
    world.counters[0] = -1;
    world.counters[1] = 2;
    world.counters[2] = 3;
    EXPECT_EQ(missionTextLines(world), std::vector<std::string>{"ARMOR 99  OBJ 0/2/3"});
    world.objectiveText = "Destroy the relay towers before the convoy reaches the bridge";
    EXPECT_EQ(missionTextLines(world), (std::vector<std::string>{"Destroy the relay towers", "before the convoy reaches",
                                                                "the bridge", "ARMOR 99  OBJ 0/2/3"}));
}

TEST(MissionEnd, HeadlineAndPrompt) {
    World world;
    Frontend menu;
    world.pilot.status = kStatusLost;
    EXPECT_EQ(missionHeadline(world, nullptr), "MISSION FAILED");
    EXPECT_EQ(missionPrompt(world, nullptr), "ONE LIFE LOST - ENTER: MISSION SELECT");
    menu.resultCode = 1;
    EXPECT_EQ(missionHeadline(world, &menu), "MISSION COMPLETE");
    menu.coopActive = true;
    EXPECT_EQ(missionPrompt(world, &menu), "ENTER / MENU: MISSION CONTROLS");
    world.pilot.status = kStatusWon;
    EXPECT_EQ(missionHeadline(world, nullptr), "MISSION COMPLETE");
    EXPECT_EQ(missionPrompt(world, nullptr), "ENTER / MENU: MISSION SELECT");
    world.prototype = true;
    EXPECT_EQ(missionPrompt(world, &menu), "ENTER: EXIT PROTOTYPE");
}

TEST(Ejection, LinesByTime) {
    EXPECT_EQ(ejectionLine(0.0f), "REACTOR FAILURE");
    EXPECT_EQ(ejectionLine(0.99f), "REACTOR FAILURE");
    EXPECT_EQ(ejectionLine(1.2f), "EJECT EJECT EJECT");
    EXPECT_EQ(ejectionLine(1.5f), std::nullopt);
    EXPECT_EQ(ejectionLine(7.0f), std::nullopt);
}

TEST(Spectating, NamesTheCursorsLivingPilot) {
    Frontend menu;
    EXPECT_EQ(spectatingLine(menu), "SPECTATING WAITING - STICK RIGHT / TAB: NEXT");
    Pilot dead;
    dead.dead = true;
    dead.slot = 0;
    Pilot wrecked;
    wrecked.health = 0;
    wrecked.slot = 1;
    Pilot second;
    second.slot = 2;
    Pilot fourth;
    fourth.slot = 3;
    menu.otherPilots = {dead, wrecked};
    EXPECT_EQ(spectatingLine(menu), "SPECTATING WAITING - STICK RIGHT / TAB: NEXT");
    menu.otherPilots = {dead, second, wrecked, fourth};
    menu.spectateIndex = 0;
    EXPECT_EQ(spectatingLine(menu), "SPECTATING P3 - STICK RIGHT / TAB: NEXT");
    menu.spectateIndex = 3;
    EXPECT_EQ(spectatingLine(menu), "SPECTATING P4 - STICK RIGHT / TAB: NEXT");
}

TEST(AimMarker, KeepsItsApparentSize) {
    // A head at (1, 2, 3) turned a quarter to the left: it looks along world -X.
    const vant::Matrix hud = vant::multiply(vant::translation(1, 2, 3), vant::rotationY(1.5707964f));
    struct Case {
        float distance;
        float depth;
    };
    for (const Case c : {Case{3, 8}, Case{500, 120}, Case{50, 50}}) {
        const std::optional<vant::Matrix> K = aimMarkerFrame(hud, {1 - c.distance, 2.5f, 3});
        ASSERT_TRUE(K) << c.distance;
        EXPECT_NEAR((*K)[12], 1 - c.depth, 1e-3f);
        EXPECT_NEAR((*K)[13], 2 + 0.5f * c.depth / c.distance, 1e-4f);
        EXPECT_NEAR(std::hypot((*K)[0], (*K)[1], (*K)[2]), c.depth / 2, 1e-4f);
    }
    EXPECT_FALSE(aimMarkerFrame(hud, {1.05f, 2, 3}));  // less than 0.1 in front
    EXPECT_FALSE(aimMarkerFrame(hud, {5, 2, 3}));      // behind the head
}

TEST(DepthSlices, FittedProjection) {
    const vant::Matrix P = depthFitted(vant::identity, 0.75f, 3000.0f);
    EXPECT_FLOAT_EQ(P[10], -1.0005001f);
    EXPECT_NEAR(P[14], -1.5003752f, 1e-6f);
    EXPECT_EQ(P[0], 1.0f);
}

TEST(DepthSlices, MeshesFallIntoTheirSlices) {
    // A camera at the origin looking along -Z; a unit cube model (radius
    // sqrt(3)) placed at depths along the view axis, and one far to the side.
    const vant::Matrix view = vant::identity;
    const Vec3 low{-1, -1, -1};
    const Vec3 high{1, 1, 1};
    const auto inSlice = [&](const vant::Matrix& M, float near, float far) {
        return withinDepthSlice(view, M, low, high, near, far);
    };
    const vant::Matrix at30 = vant::translation(0, 0, -30);
    EXPECT_TRUE(inSlice(at30, 0.75f, 64));
    EXPECT_FALSE(inSlice(at30, 64, 512));
    const vant::Matrix straddling = vant::translation(0, 0, -64.5f);
    EXPECT_TRUE(inSlice(straddling, 0.75f, 64));
    EXPECT_TRUE(inSlice(straddling, 64, 512));
    const vant::Matrix sideways = vant::translation(5000, 0, -100);
    EXPECT_TRUE(inSlice(sideways, 64, 512));  // no side planes
    EXPECT_FALSE(inSlice(vant::translation(0, 0, 10), 0.75f, 64));  // behind the eye
    // Scaled models grow their sphere by their largest axis.
    const vant::Matrix big = vant::multiply(vant::translation(0, 0, -80), vant::scaling(1, 12, 1));
    EXPECT_TRUE(inSlice(big, 0.75f, 64));
}

TEST(MenuRows, ByScreen) {
    Frontend menu;
    EXPECT_EQ(lobbyRows(menu), (std::vector<std::string>{"SINGLEPLAYER", "COOPERATIVE", "LOAD", "EXIT"}));
    menu.screen = Frontend::kCampaignChoice;
    menu.menuMode = 1;
    EXPECT_EQ(lobbyRows(menu).size(), 3u);
    menu.menuMode = 2;
    EXPECT_EQ(lobbyRows(menu), (std::vector<std::string>{"STORMBASTION", "STORMBASTION 2"}));
    menu.screen = Frontend::kMissionMenu;
    menu.soundVolume = 0.996f;
    menu.musicVolume = 0.004f;
    menu.radio = false;
    EXPECT_EQ(lobbyRows(menu), (std::vector<std::string>{"RESUME", "RESTART MISSION", "ABORT MISSION", "SELF DESTRUCT",
                                                         "MICROPHONE: MUTED", "SOUND: 100%", "MUSIC: 0%",
                                                         "LEAVE TO TITLE"}));
    menu.coopActive = true;
    EXPECT_EQ(lobbyRows(menu)[1], "RESTART - HOST ONLY");
    EXPECT_EQ(lobbyRows(menu)[2], "ABORT - HOST ONLY");
    menu.host = true;
    EXPECT_EQ(lobbyRows(menu)[1], "RESTART MISSION");
    menu.screen = Frontend::kJoinCode;
    EXPECT_TRUE(lobbyRows(menu).empty());
}

TEST(MenuRows, ThumbnailNames) {
    EXPECT_EQ(thumbnailName(0, 2), "mission-thumbnail-03");
    EXPECT_EQ(thumbnailName(1, 19), "sb2-mission-thumbnail-20");
}

}  // namespace
}  // namespace bastion
