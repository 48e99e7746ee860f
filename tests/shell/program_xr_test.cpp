#include <algorithm>
#include <set>

#include <openxr/openxr.h>

#include "ppm_image.h"
#include "program_fixture.h"
#include "support/test_runtime.h"
#include "world/math.h"

namespace bastion {
namespace {

using nlohmann::json;
using testing_support::Rgb;
using testing_support::TestRuntime;

const std::string kHeadsetSummaryTail = " destroyed=0 torso_degrees=0\n";

class ProgramXrTest : public ProgramTest {
protected:
    struct HeadsetCase {
        json script;
        std::vector<std::string> extraArgs;
        std::vector<std::string> extraEnvironment;
    };

    // Starts one program per case, each with its own test runtime, and waits
    // for all of them.
    // `fixture` false plays the demo content's missions.
    std::vector<ProgramRun> runHeadsets(const std::vector<HeadsetCase>& cases,
                                        std::vector<std::unique_ptr<TestRuntime>>& runtimes, bool fixture = true) {
        std::vector<RunningProgram> running;
        for (std::size_t i = 0; i < cases.size(); ++i) {
            runtimes.push_back(std::make_unique<TestRuntime>(cases[i].script));
            // The case's own entries come first, so they win over the runtime's.
            std::vector<std::string> environment = cases[i].extraEnvironment;
            const std::vector<std::string> runtimeEnvironment = windowed(runtimes.back()->environment());
            environment.insert(environment.end(), runtimeEnvironment.begin(), runtimeEnvironment.end());
            environment.push_back("HOME=" + home.string());
            std::vector<std::string> args = {"--retail", demo.string(), "--xr"};
            if (fixture) args.push_back("--fixture");
            args.insert(args.end(), cases[i].extraArgs.begin(), cases[i].extraArgs.end());
            running.push_back(startProgram(program, args, environment, folder / ("xr" + std::to_string(i))));
        }
        std::vector<ProgramRun> results;
        for (const RunningProgram& one : running) results.push_back(finishProgram(one));
        return results;
    }

    static int notBlack(const PpmImage& image, int x0, int x1) {
        return image.count(0, image.height - 1, x0, x1, [](const Rgb& c) { return c[0] + c[1] + c[2] > 30; });
    }
};

TEST_F(ProgramXrTest, HeadsetRunsDrawStereoFramesMirrorThemAndEndAsTheRuntimeSays) {
    const std::filesystem::path shot = folder / "mirror.ppm";
    const json headset = {{"name", "Scripted Headset"}, {"views", {{160, 100}, {160, 100}}}};
    json exiting = headset;
    exiting["timeline"] = {{{"after_frame", 1}, {"state", "exiting"}}};
    json hidden = headset;
    hidden["frames"] = {{{"should_render", false}}};
    json notReady = headset;
    notReady["ready"] = false;
    std::vector<std::unique_ptr<TestRuntime>> runtimes;
    const std::vector<ProgramRun> results = runHeadsets(
        {
            {headset, {"--frames", "3", "--screenshot", shot.string()}, {}},
            {exiting, {"--frames", "5"}, {}},
            {hidden, {"--frames", "3"}, {}},
            {notReady, {"--frames", "3"}, {}},
        },
        runtimes);

    struct Expected {
        int frames;
        std::string counters;
    };
    const Expected expected[] = {{3, "OpenXR frames=3 stereo_frames=3\n"},
                                 {1, "OpenXR frames=1 stereo_frames=1\n"},
                                 {3, "OpenXR frames=3 stereo_frames=0\n"},
                                 {3, "OpenXR frames=0 stereo_frames=0\n"}};
    for (std::size_t i = 0; i < results.size(); ++i) {
        EXPECT_EQ(results[i].exitCode, 0) << i << results[i].err;
        EXPECT_EQ(results[i].out, kCockpitLine + "Scripted Headset\nFrames=" + std::to_string(expected[i].frames) +
                                      kHeadsetSummaryTail);
        EXPECT_EQ(results[i].err, "OpenXR initialized: Scripted Headset / 160x100 per eye\n" + expected[i].counters);
    }
    EXPECT_TRUE(runtimes[2]->calls("xrAcquireSwapchainImage").empty());
    EXPECT_TRUE(runtimes[3]->calls("xrWaitFrame").empty());

    // Each eye saw sky and cockpit, not a cleared black image.
    for (int eye = 0; eye < 2; ++eye) {
        const PpmImage image = readPpm(runtimes[0]->images() / ("eye" + std::to_string(eye) + "-frame3.ppm"));
        EXPECT_GT(notBlack(image, 0, image.width - 1), image.width * image.height / 2);
        std::set<Rgb> colours;
        for (std::size_t p = 0; p + 2 < image.rgb.size(); p += 3) {
            colours.insert({image.rgb[p], image.rgb[p + 1], image.rgb[p + 2]});
        }
        EXPECT_GT(colours.size(), 8u);
    }
    // The window mirrors the left eye on its left half and the right eye on
    // its right half.
    const PpmImage mirror = readPpm(shot);
    const int half = mirror.width / 2;
    EXPECT_GT(notBlack(mirror, 0, half - 1), half * mirror.height / 2);
    EXPECT_GT(notBlack(mirror, half, mirror.width - 1), half * mirror.height / 2);
}

// The first SB1 mission has a pillar 60 units away, a little short of a
// quarter turn to the left of where the walker starts facing. The right
// stick, held all along, turns the torso to its stop; the right trigger,
// pressed on every other frame after a while, fires the rifle in the right
// hand, aimed by that hand's pose. Frames too slow to step the world (a busy
// machine) only delay the turn: the shots that follow it still hit.
json turnAndFire(int gripFlags) {
    const Quaternion aim = angles(-7.75f * 3.14159265f / 180.0f, -5.0f * 3.14159265f / 180.0f, 0.0f);
    const json hand = {{"orientation", {aim.x, aim.y, aim.z, aim.w}}, {"position", {0.4, 1.47, -0.75}}};
    json grip = hand;
    grip["flags"] = gripFlags;
    const json hands = {{"aim_pose", {nullptr, hand}}, {"grip_pose", {nullptr, grip}}};
    json frames = json::array();
    json turning = hands;
    turning["move_turn"] = {{0, 0}, {-1, 0}};
    frames.push_back({{"repeat", 40}, {"actions", turning}});
    for (int press = 0; press < 75; ++press) {
        for (const double trigger : {1.0, 0.0}) {
            json firing = turning;
            firing["trigger"] = {0.0, trigger};
            frames.push_back({{"actions", firing}});
        }
    }
    // A display's pace keeps the turn from ending within a few fast frames.
    return {{"period_ms", 25}, {"frames", frames}};
}

TEST_F(ProgramXrTest, ControllersTurnTheTorsoAndFireFromTheTrackedHand) {
    constexpr int kTracked = XR_SPACE_LOCATION_ORIENTATION_VALID_BIT | XR_SPACE_LOCATION_POSITION_VALID_BIT |
                             XR_SPACE_LOCATION_ORIENTATION_TRACKED_BIT | XR_SPACE_LOCATION_POSITION_TRACKED_BIT;
    constexpr int kUntracked = XR_SPACE_LOCATION_ORIENTATION_VALID_BIT | XR_SPACE_LOCATION_POSITION_VALID_BIT;
    struct Case {
        std::string what;
        json script;
        std::string summary;
    };
    const std::vector<Case> cases = {
        {"the hand on the pillar", turnAndFire(kTracked), "Frames=190 destroyed=1 torso_degrees=90\n"},
        {"the same hand not tracked", turnAndFire(kUntracked), "Frames=190 destroyed=0 torso_degrees=90\n"},
    };
    // Neither the call log nor the eye images are needed: frames go faster
    // without them.
    const std::vector<std::string> quiet = {"BASTION_XR_LOG=", "BASTION_XR_DUMP="};
    std::vector<HeadsetCase> runs;
    for (const Case& test : cases) runs.push_back({test.script, {"--screen", "playing", "--frames", "190"}, quiet});
    std::vector<std::unique_ptr<TestRuntime>> runtimes;
    const std::vector<ProgramRun> results = runHeadsets(runs, runtimes, false);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(results[i].exitCode, 0) << cases[i].what << results[i].err;
        const std::size_t last = results[i].out.rfind("Frames=");
        ASSERT_NE(last, std::string::npos) << cases[i].what << results[i].out;
        EXPECT_EQ(results[i].out.substr(last), cases[i].summary) << cases[i].what;
    }
}

TEST_F(ProgramXrTest, HeadsetStartFailuresAreFatal) {
    std::vector<std::unique_ptr<TestRuntime>> runtimes;
    const std::vector<ProgramRun> results = runHeadsets(
        {
            {json::object(), {"--frames", "3"}, {"XR_RUNTIME_JSON=/nonexistent/openxr_runtime.json"}},
            {{{"views", {{64, 48}}}}, {"--frames", "3"}, {}},
        },
        runtimes);
    EXPECT_EQ(results[0].exitCode, 1);
    EXPECT_EQ(results[0].out, kCockpitLine);
    // The loader explains itself first; the program's line is the last.
    const std::string noRuntime =
        fatal("xrEnumerateInstanceExtensionProperties(nullptr, 0, &extensionCount, nullptr) (OpenXR -51)");
    ASSERT_GE(results[0].err.size(), noRuntime.size());
    EXPECT_EQ(results[0].err.substr(results[0].err.size() - noRuntime.size()), noRuntime);
    EXPECT_EQ(results[0].err.find("OpenXR frames="), std::string::npos);
    EXPECT_EQ(results[1].exitCode, 1);
    EXPECT_EQ(results[1].out, kCockpitLine);
    EXPECT_EQ(results[1].err, "OpenXR frames=0 stereo_frames=0\n" + fatal("Prototype requires stereo OpenXR views"));
}

}  // namespace
}  // namespace bastion
