#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include <GL/glew.h>
#include <SDL.h>

#include "xr_harness.h"

namespace bastion {
namespace {

using nlohmann::json;
using testing_support::runXr;
using testing_support::TestRuntime;

// Runs `frames` frames, drawing each eye in its own colour; returns the eyes
// drawn, as "<eye>:<width>x<height>" per call, and "-" for each frame that
// asked the caller to leave.
std::string runFrames(vant::XR& xr, int frames) {
    std::string drawn;
    for (int i = 0; i < frames; ++i) {
        if (!xr.beginFrame(false, false)) {
            drawn += "-";
            continue;
        }
        xr.endFrame(
            [&](const XrView&, int eye, int width, int height) {
                drawn += std::to_string(eye) + ":" + std::to_string(width) + "x" + std::to_string(height) + " ";
                if (glIsEnabled(GL_FRAMEBUFFER_SRGB)) drawn += "srgb ";
                glClearColor(eye == 0 ? 1.0f : 0.0f, eye == 0 ? 0.0f : 1.0f, 0.0f, 1.0f);
                glClear(GL_COLOR_BUFFER_BIT);
            },
            true);
    }
    return drawn;
}

TEST(XrSession, StartUpFailuresNameTheirCause) {
    struct Case {
        json script;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{{"views", {{64, 48}}}}, "Prototype requires stereo OpenXR views"},
        {{{"views", {{64, 48}, {64, 48}, {64, 48}}}}, "Prototype requires stereo OpenXR views"},
        {{{"formats", {0x881A, 0x8C41}}}, "No supported OpenGL RGBA swapchain format"},
        {{{"blend_modes", json::array()}}, "No OpenXR blend modes"},
        {{{"gl_range", {{9, 0}, {9, 9}}}}, "OpenGL version is outside the OpenXR runtime's supported range"},
        {{{"gl_range", {{1, 0}, {2, 1}}}}, "OpenGL version is outside the OpenXR runtime's supported range"},
        {{{"extensions", json::array()}}, "xrCreateInstance(&ci, &x.instance) (OpenXR -9)"},
    };
    for (const Case& test : cases) {
        const TestRuntime runtime(test.script);
        const auto outcome = runXr(runtime, [](vant::XR&, SDL_Window*) { return std::string(); });
        EXPECT_EQ(outcome.error, test.message) << test.script.dump();
        // Once the instance existed, its closing line reports no frames.
        const bool instanceMade = test.message.rfind("xrCreateInstance", 0) != 0;
        EXPECT_EQ(outcome.stderrText.find("OpenXR frames=0 stereo_frames=0\n") != std::string::npos, instanceMade);
    }
}

TEST(XrSession, NoRuntimeFailsThroughTheLoaderBeforeAnyInstance) {
    const TestRuntime runtime(json::object());
    const auto outcome = runXr(runtime, [](vant::XR&, SDL_Window*) { return std::string(); },
                               {{"XR_RUNTIME_JSON", "/nonexistent/openxr_runtime.json"}});
    EXPECT_EQ(outcome.error, "xrEnumerateInstanceExtensionProperties(nullptr, 0, &extensionCount, nullptr) (OpenXR -51)");
    EXPECT_EQ(outcome.stderrText.find("OpenXR frames="), std::string::npos);
}

TEST(XrSession, ThreeFramesDrawBothEyesAndCountStereoFrames) {
    const TestRuntime runtime(json{{"name", "Scripted Headset"}, {"views", {{96, 64}, {96, 64}}}});
    const auto outcome = runXr(runtime, [](vant::XR& xr, SDL_Window*) {
        return xr.description() + "|" + runFrames(xr, 3);
    });
    ASSERT_EQ(outcome.error, "");
    EXPECT_EQ(outcome.result, "Scripted Headset|0:96x64 1:96x64 0:96x64 1:96x64 0:96x64 1:96x64 ");
    EXPECT_EQ(outcome.stderrText,
              "OpenXR initialized: Scripted Headset / 96x64 per eye\nOpenXR frames=3 stereo_frames=3\n");

    const auto chains = runtime.calls("xrCreateSwapchain");
    ASSERT_EQ(chains.size(), 2u);
    for (const json& chain : chains) {
        // The runtime lists sRGB first; plain RGBA8 is still preferred.
        EXPECT_EQ(chain["format"], 0x8058);
        EXPECT_EQ(chain["usage"], XR_SWAPCHAIN_USAGE_COLOR_ATTACHMENT_BIT);
        EXPECT_EQ(chain["create_flags"], 0);
        EXPECT_EQ(chain["sample_count"], 1);
        EXPECT_EQ(chain["width"], 96);
        EXPECT_EQ(chain["height"], 64);
        EXPECT_EQ(chain["face_count"], 1);
        EXPECT_EQ(chain["array_size"], 1);
        EXPECT_EQ(chain["mip_count"], 1);
    }
    const auto ends = runtime.calls("xrEndFrame");
    ASSERT_EQ(ends.size(), 3u);
    for (const json& end : ends) {
        EXPECT_EQ(end["blend_mode"], XR_ENVIRONMENT_BLEND_MODE_OPAQUE);
        ASSERT_EQ(end["layers"].size(), 1u);
        EXPECT_EQ(end["layers"][0]["views"].size(), 2u);
    }
    const auto created = runtime.calls("xrCreateInstance");
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0]["application"], "Stormbastion XR Foundation");
    EXPECT_EQ(created[0]["api_version"], XR_MAKE_VERSION(1, 0, 0));
    EXPECT_EQ(created[0]["extensions"], json({"XR_KHR_opengl_enable"}));

    // The released images hold what each eye drew: red left, green right.
    for (int eye = 0; eye < 2; ++eye) {
        std::ifstream image(runtime.images() / ("eye" + std::to_string(eye) + "-frame3.ppm"), std::ios::binary);
        std::string header;
        std::getline(image, header);
        std::getline(image, header);
        std::getline(image, header);
        unsigned char pixel[3] = {};
        image.read(reinterpret_cast<char*>(pixel), 3);
        EXPECT_EQ(pixel[0], eye == 0 ? 255 : 0);
        EXPECT_EQ(pixel[1], eye == 0 ? 0 : 255);
    }
}

TEST(XrSession, SrgbOnlyRuntimeGetsSrgbChainsDrawnWithoutSrgbWrites) {
    const TestRuntime runtime(json{{"formats", {0x8C43}}, {"gl_range", {{3, 3}, {4, 6}}}});
    const auto outcome = runXr(runtime, [](vant::XR& xr, SDL_Window*) { return runFrames(xr, 1); });
    ASSERT_EQ(outcome.error, "");
    EXPECT_EQ(outcome.result, "0:64x48 1:64x48 ");
    EXPECT_EQ(runtime.calls("xrCreateSwapchain").at(0)["format"], 0x8C43);
}

TEST(XrSession, FramesNotShownAreEndedWithoutLayers) {
    const TestRuntime runtime(json{{"frames", {{{"should_render", false}}}}});
    const auto outcome = runXr(runtime, [](vant::XR& xr, SDL_Window*) { return runFrames(xr, 2); });
    ASSERT_EQ(outcome.error, "");
    EXPECT_EQ(outcome.result, "");
    EXPECT_NE(outcome.stderrText.find("OpenXR frames=2 stereo_frames=0\n"), std::string::npos);
    EXPECT_TRUE(runtime.calls("xrAcquireSwapchainImage").empty());
    for (const json& end : runtime.calls("xrEndFrame")) EXPECT_TRUE(end["layers"].empty());
}

TEST(XrSession, OrientationOnlyViewsAreNotShownAndKeepTheHeadPosition) {
    const TestRuntime runtime(json{{"frames",
                                {{{"eyes", {{{"position", {-1, 2, 3}}}, {{"position", {1, 2, 3}}}}}},
                                 {{"view_flags", XR_VIEW_STATE_ORIENTATION_VALID_BIT},
                                  {"eyes", {{{"position", {5, 5, 5}}, {"orientation", {0, 1, 0, 0}}}}}}}}});
    const auto outcome = runXr(runtime, [](vant::XR& xr, SDL_Window*) {
        std::string result = runFrames(xr, 1);
        xr.beginFrame(false, false);
        const XrPosef head = xr.headPose();
        result += std::to_string(head.position.x) + "," + std::to_string(head.position.y) + "," +
                  std::to_string(head.position.z) + " " + std::to_string(head.orientation.y) + " " +
                  (xr.tracking().active ? "active" : "inactive");
        return result;
    });
    ASSERT_EQ(outcome.error, "");
    EXPECT_EQ(outcome.result, "0:64x48 1:64x48 0.000000,2.000000,3.000000 1.000000 inactive");
}

TEST(XrSession, SessionThatNeverGetsReadyWaitsForNoFrame) {
    const TestRuntime runtime(json{{"ready", false}});
    const auto outcome = runXr(runtime, [](vant::XR& xr, SDL_Window*) { return runFrames(xr, 3); });
    ASSERT_EQ(outcome.error, "");
    EXPECT_EQ(outcome.result, "");
    EXPECT_TRUE(runtime.calls("xrWaitFrame").empty());
    EXPECT_TRUE(runtime.calls("xrEndFrame").empty());
    EXPECT_NE(outcome.stderrText.find("OpenXR frames=0 stereo_frames=0\n"), std::string::npos);
}

TEST(XrSession, RuntimeEndingTheSessionEndsTheFrames) {
    for (const std::string state : {"exiting", "stopping", "loss_pending"}) {
        const TestRuntime runtime(json{{"timeline", {{{"after_frame", 1}, {"state", state}}}}});
        const auto outcome = runXr(runtime, [](vant::XR& xr, SDL_Window*) { return runFrames(xr, 3); });
        ASSERT_EQ(outcome.error, "") << state;
        EXPECT_EQ(outcome.result, "0:64x48 1:64x48 --") << state;
        EXPECT_EQ(runtime.calls("xrEndSession").size(), state == "stopping" ? 1u : 0u) << state;
        EXPECT_EQ(runtime.calls("xrWaitFrame").size(), 1u) << state;
    }
}

TEST(XrSession, MirrorFillsEachHalfOfTheWindowWithItsEye) {
    const TestRuntime runtime(json::object());
    const auto outcome = runXr(runtime, [](vant::XR& xr, SDL_Window*) {
        runFrames(xr, 1);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        unsigned char left[4] = {};
        unsigned char right[4] = {};
        glReadPixels(10, 50, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, left);
        glReadPixels(190, 50, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, right);
        return std::to_string(left[0]) + "," + std::to_string(left[1]) + " " + std::to_string(right[0]) + "," +
               std::to_string(right[1]);
    });
    ASSERT_EQ(outcome.error, "");
    EXPECT_EQ(outcome.result, "255,0 0,255");
}

}  // namespace
}  // namespace bastion
