// What the program shows: the cockpit it loads (or refuses to load) and its
// screenshots of the title, the playing view and the status lamps.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "contentgen/cockpit_model.h"
#include "ppm_image.h"
#include "program_fixture.h"
#include "support/desktop_view.h"

namespace bastion {
namespace {

using contentgen::CockpitModel;
using nlohmann::json;
using testing_support::byteColour;
using testing_support::nearColour;
using testing_support::Rgb;
using testing_support::viewPixelOf;

class ProgramView : public ProgramTest {
protected:
    const std::string kOneFrame = kCockpitLine + "Frames=1 destroyed=0 torso_degrees=0\n";

    // Runs one frame of the demo content for each entry of `extras` (the
    // options added), all at once, and returns their screenshots in order.
    std::vector<PpmImage> screenshots(const std::vector<std::vector<std::string>>& extras) {
        std::vector<std::vector<std::string>> argSets;
        for (std::size_t i = 0; i < extras.size(); ++i) {
            argSets.push_back({"--retail", demo.string(), "--frames", "1", "--screenshot", shotPath(i).string()});
            argSets.back().insert(argSets.back().end(), extras[i].begin(), extras[i].end());
        }
        const std::vector<ProgramRun> results = runWindowedTogether(argSets);
        std::vector<PpmImage> images;
        for (std::size_t i = 0; i < results.size(); ++i) {
            EXPECT_EQ(results[i].exitCode, 0) << results[i].err;
            EXPECT_EQ(results[i].out, kOneFrame);
            EXPECT_EQ(results[i].err, "");
            images.push_back(readPpm(shotPath(i)));
        }
        return images;
    }
    PpmImage screenshot(const std::vector<std::string>& extra) { return screenshots({extra}).front(); }

    std::filesystem::path retailOf(std::size_t run) const { return folder / ("retail" + std::to_string(run)); }
    std::filesystem::path cockpitOf(std::size_t run) const { return retailOf(run) / "cockpit"; }
    std::filesystem::path shotPath(std::size_t run) const { return folder / ("shot" + std::to_string(run) + ".ppm"); }
};

const Rgb kSky = byteColour(0.055f, 0.095f, 0.13f);

TEST_F(ProgramView, ScreenshotIsAPpmOfTheDrawable) {
    screenshot({"--fixture"});
    std::ifstream stream(shotPath(0), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    const std::string header = "P6\n1280 800\n255\n";
    ASSERT_EQ(bytes.size(), header.size() + 1280u * 800u * 3u);
    EXPECT_EQ(bytes.substr(0, header.size()), header);
    // The file's first row is the top of the view: open sky above the
    // cockpit and the horizon.
    const PpmImage image = readPpm(shotPath(0));
    EXPECT_EQ(image.count(799, 799, 0, 1279, [](const Rgb& p) { return p == kSky; }), 1280);
}

TEST_F(ProgramView, PlayingViewShowsSkyHorizonAndCockpit) {
    const PpmImage image = screenshot({"--fixture", "--screen", "playing"});
    EXPECT_EQ(image.at(viewPixelOf(0.3f, 0.4f, -1.0f)), kSky);
    // Far and near ridges of the demo horizon stand around eye level.
    const int eyeRow = testing_support::kViewHeight / 2;
    const auto ridge = [&image, eyeRow](const Rgb& colour) {
        return image.count(eyeRow - 20, eyeRow + 40, 0, 1279,
                           [&colour](const Rgb& p) { return nearColour(p, colour, 6); });
    };
    EXPECT_GT(ridge(testing_support::kFarRidge), 200);
    EXPECT_GT(ridge(testing_support::kNearRidge), 200);
    // The dashboard covers the bottom of the view.
    EXPECT_FALSE(nearColour(image.at(viewPixelOf(0.9f, -0.75f, -1.1f)), kSky, 2));
}

// SDL makes its context through EGL where an X server offers no usable GLX
// (and on Wayland): the game must run there and show the same picture.
// The two runs go one after the other: the first frame steps the world by
// the time start-up took, and two programs side by side start at different
// speeds. A window of another test opening at the same moment can take the
// keyboard focus from either run, which pauses the game and changes its
// picture; a pair is taken again in that case, so only a difference that
// every pair shows fails.
TEST_F(ProgramView, EglContextShowsTheSameView) {
    constexpr int kAttempts = 4;
    int matchingPairs = 0;
    for (int attempt = 0; attempt < kAttempts && matchingPairs == 0; ++attempt) {
        const PpmImage glx = screenshot({"--fixture", "--screen", "playing"});
        const std::filesystem::path eglShot = folder / "egl.ppm";
        const ProgramRun result =
            runWindowed({"--retail", demo.string(), "--fixture", "--screen", "playing", "--frames", "1",
                         "--screenshot", eglShot.string()},
                        {"SDL_VIDEO_X11_FORCE_EGL=1"});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        ASSERT_EQ(result.out, kOneFrame);
        ASSERT_TRUE(std::filesystem::exists(eglShot));
        if (readPpm(eglShot).rgb == glx.rgb) ++matchingPairs;
    }
    EXPECT_EQ(matchingPairs, 1);
}

TEST_F(ProgramView, TitleShowsThePanelWithItsFirstRowSelected) {
    const PpmImage image = screenshot({"--fixture"});
    EXPECT_EQ(image.at(viewPixelOf(0.0f, 0.3f, -3.0f)), testing_support::kTitlePlate);
    EXPECT_EQ(image.at({4, 4}), kSky);
    const auto [firstLow, firstHigh] = testing_support::panelRowBand(57.0f, 3.0f);
    const auto [secondLow, secondHigh] = testing_support::panelRowBand(74.0f, 3.0f);
    EXPECT_GT(image.count(firstLow, firstHigh, 300, 800, testing_support::amberText), 40);
    EXPECT_EQ(image.count(firstLow, firstHigh, 300, 800, testing_support::greenText), 0);
    EXPECT_GT(image.count(secondLow, secondHigh, 300, 800, testing_support::greenText), 40);
}

TEST_F(ProgramView, HealthPreviewLightsTheLamps) {
    const std::vector<testing_support::LampCase>& cases = testing_support::lampCases();
    std::vector<std::vector<std::string>> extras;
    for (const testing_support::LampCase& c : cases) {
        std::ostringstream health;
        health << c.health;
        extras.push_back({"--fixture", "--screen", "playing", "--health-preview", health.str()});
    }
    const std::vector<PpmImage> images = screenshots(extras);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        for (int lamp = 0; lamp < 5; ++lamp) {
            const Rgb seen = images[i].at(testing_support::lampPixel(lamp));
            EXPECT_TRUE(nearColour(seen, cases[i].lamps[static_cast<std::size_t>(lamp)], 2))
                << "health " << cases[i].health << " lamp " << lamp << ": " << seen[0] << "," << seen[1] << ","
                << seen[2];
        }
    }
}

TEST_F(ProgramView, LargestCockpitLoads) {
    copyDemoToRetail();
    CockpitModel model = contentgen::demoCockpit();
    // Degenerate body triangles after the lamps fill the file to its limit.
    contentgen::CockpitVertex filler;
    filler.position = {0.0f, 0.0f, -1.0f};
    model.vertices.resize(300000, filler);
    contentgen::writeCockpit(retail / "cockpit", model);
    const ProgramRun result = runWindowed({"--retail", retail.string(), "--fixture", "--frames", "1"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Loaded Blender cockpit: 100000 triangles, six live ammo readouts\n"
                          "Frames=1 destroyed=0 torso_degrees=0\n");
}

json& firstLamp(CockpitModel& model) {
    for (json& object : model.manifest["objects"]) {
        if (object["object"].get<std::string>().rfind("Status lamp lens", 0) == 0) return object;
    }
    throw std::logic_error("the demo cockpit has no lamp");
}

// Each of the loader's refusals once, from a broken file in a copy of the
// demo content: the program ends before its window shows anything, with the
// loader's message as its fatal line.
TEST_F(ProgramView, BrokenCockpitIsFatal) {
    constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
    const auto meshOf = [this](std::size_t run) { return cockpitOf(run) / "cockpit.mesh"; };
    struct Case {
        std::function<void(CockpitModel&)> change;
        std::function<void(const std::filesystem::path& mesh)> afterWriting;
        std::string message;  // "@" stands for the mesh path
    };
    const auto none = [](CockpitModel&) {};
    const std::vector<Case> cases{
        {none, [](const std::filesystem::path& mesh) { std::filesystem::remove(mesh); },
         "Missing authored cockpit: @. See docs/COCKPIT.md for Blender export."},
        {none, [](const std::filesystem::path& mesh) { std::filesystem::resize_file(mesh, 11); },
         "Truncated cockpit mesh"},
        {none,
         [](const std::filesystem::path& mesh) {
             std::filesystem::resize_file(mesh, std::filesystem::file_size(mesh) + 1);
         },
         "Invalid cockpit mesh header/length"},
        {[](CockpitModel& m) { m.vertices[5].normal[1] = kNan; }, {}, "Non-finite cockpit vertex"},
        {[](CockpitModel& m) { m.vertices[5].position[0] = 10.5f; }, {}, "Cockpit outside physical size budget"},
        {[](CockpitModel& m) { m.vertices[5].normal = {0, 0, 1.2f}; }, {}, "Invalid cockpit normal"},
        {[](CockpitModel& m) { m.vertices[5].emission = 2.0f; }, {}, "Invalid cockpit material"},
        {[](CockpitModel& m) { firstLamp(m)["object"] = "Status lamp"; }, {}, "Cockpit requires five health lamps"},
        {[](CockpitModel& m) { firstLamp(m)["vertex_count"] = 4; }, {}, "Invalid health lamp geometry"},
        {[](CockpitModel& m) { m.layout["schema"] = 2; }, {}, "Invalid cockpit instrument layout"},
        {[](CockpitModel& m) { m.layout["ammo"][4]["mount"] = 0; }, {}, "Duplicate or invalid ammo mount"},
        {[](CockpitModel& m) { m.layout["torso"][1] = 11.0; }, {}, "Invalid instrument position"},
        {[](CockpitModel& m) { m.layout["ammo"][2]["size"] = 0.0; }, {}, "Invalid readout scale"},
    };
    std::vector<std::vector<std::string>> argSets;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        copyDemoToRetail(retailOf(i));
        CockpitModel model = contentgen::demoCockpit();
        cases[i].change(model);
        contentgen::writeCockpit(cockpitOf(i), model);
        if (cases[i].afterWriting) cases[i].afterWriting(meshOf(i));
        argSets.push_back({"--retail", retailOf(i).string(), "--fixture", "--frames", "1"});
    }
    const std::vector<ProgramRun> results = runWindowedTogether(argSets);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        std::string message = cases[i].message;
        if (const std::size_t at = message.find('@'); at != std::string::npos) {
            message.replace(at, 1, meshOf(i).string());
        }
        EXPECT_EQ(results[i].exitCode, 1) << message;
        EXPECT_EQ(results[i].err, fatal(message));
        EXPECT_EQ(results[i].out, "");
    }
}

// Unreadable JSON ends the program with the JSON library's own text.
TEST_F(ProgramView, BrokenCockpitJsonIsFatal) {
    const std::vector<std::string> files = {"mesh-manifest.json", "layout.json"};
    std::vector<std::vector<std::string>> argSets;
    for (std::size_t i = 0; i < files.size(); ++i) {
        copyDemoToRetail(retailOf(i));
        write(cockpitOf(i) / files[i], "{\"schema\": ");
        argSets.push_back({"--retail", retailOf(i).string(), "--fixture", "--frames", "1"});
    }
    const std::vector<ProgramRun> results = runWindowedTogether(argSets);
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(results[i].exitCode, 1) << files[i];
        EXPECT_EQ(results[i].err.rfind("Stormbastion XR: [json.exception.parse_error", 0), 0u) << results[i].err;
        EXPECT_EQ(results[i].out, "");
    }
}

}  // namespace
}  // namespace bastion
