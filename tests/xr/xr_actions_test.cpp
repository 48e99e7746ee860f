#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "xr_harness.h"

namespace bastion {
namespace {

using nlohmann::json;
using testing_support::runXr;
using testing_support::TestRuntime;

const std::string kTouch = "/interaction_profiles/oculus/touch_controller";
const std::string kIndex = "/interaction_profiles/valve/index_controller";
const std::string kVive = "/interaction_profiles/htc/vive_controller";
const std::string kMicrosoft = "/interaction_profiles/microsoft/motion_controller";
const std::string kSimple = "/interaction_profiles/khr/simple_controller";
const std::string kTouchPro = "/interaction_profiles/facebook/touch_controller_pro";

// One binding row: "<action> <hands> <component>", hands "each", "L" or "R".
using BindingRows = std::vector<std::string>;

const BindingRows kTouchRows = {
    "aim_pose each /input/aim/pose",        "grip_pose each /input/grip/pose",
    "feedback each /output/haptic",         "trigger each /input/trigger/value",
    "move_turn each /input/thumbstick",     "support_hold each /input/squeeze/value",
    "use L /input/x/click",                 "use R /input/a/click",
    "pause L /input/menu/click",            "previous_weapon L /input/y/click",
    "next_weapon R /input/b/click",         "map L /input/thumbstick/click",
    "inventory R /input/thumbstick/click",  "primary_mount R /input/a/click",
    "primary_mount L /input/x/click",       "secondary_mount R /input/b/click",
    "secondary_mount L /input/y/click",
};

const std::map<std::string, BindingRows> kBindings = {
    {kTouch, kTouchRows},
    {kTouchPro, kTouchRows},
    {kIndex,
     {"aim_pose each /input/aim/pose", "grip_pose each /input/grip/pose", "feedback each /output/haptic",
      "trigger each /input/trigger/value", "move_turn each /input/thumbstick",
      "support_hold each /input/squeeze/value", "use each /input/a/click", "pause L /input/thumbstick/click",
      "previous_weapon L /input/b/click", "next_weapon R /input/b/click", "map R /input/trackpad/force",
      "inventory R /input/thumbstick/click", "primary_mount R /input/a/click", "primary_mount L /input/a/click",
      "secondary_mount R /input/b/click", "secondary_mount L /input/b/click"}},
    {kVive,
     {"aim_pose each /input/aim/pose", "grip_pose each /input/grip/pose", "feedback each /output/haptic",
      "trigger each /input/trigger/value", "move_turn each /input/trackpad", "support_click each /input/squeeze/click",
      "use R /input/squeeze/click", "pause L /input/menu/click", "next_weapon R /input/menu/click",
      "map L /input/trackpad/click", "inventory R /input/trackpad/click"}},
    {kMicrosoft,
     {"aim_pose each /input/aim/pose", "grip_pose each /input/grip/pose", "feedback each /output/haptic",
      "trigger each /input/trigger/value", "move_turn each /input/thumbstick",
      "support_click each /input/squeeze/click", "use R /input/squeeze/click", "pause L /input/menu/click",
      "previous_weapon L /input/thumbstick/click", "next_weapon R /input/thumbstick/click",
      "map L /input/trackpad/click", "inventory R /input/trackpad/click"}},
    {kSimple,
     {"aim_pose each /input/aim/pose", "grip_pose each /input/grip/pose", "feedback each /output/haptic",
      "select each /input/select/click", "pause L /input/menu/click"}},
};

// The rows as sorted "<action> <path>" pairs.
std::vector<std::string> expand(const BindingRows& rows) {
    std::vector<std::string> pairs;
    for (const std::string& row : rows) {
        std::istringstream in(row);
        std::string action, hands, component;
        in >> action >> hands >> component;
        if (hands != "R") pairs.push_back(action + " /user/hand/left" + component);
        if (hands != "L") pairs.push_back(action + " /user/hand/right" + component);
    }
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

std::vector<std::string> suggested(const json& call) {
    std::vector<std::string> pairs;
    for (const json& binding : call["bindings"]) {
        pairs.push_back(binding[0].get<std::string>() + " " + binding[1].get<std::string>());
    }
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

std::string noFrames(vant::XR&, SDL_Window*) { return {}; }

TEST(XrActions, ActionSetHoldsSixteenActionsOnBothHands) {
    const TestRuntime runtime(json::object());
    ASSERT_EQ(runXr(runtime, noFrames).error, "");

    const auto sets = runtime.calls("xrCreateActionSet");
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0]["name"], "gameplay");
    EXPECT_EQ(sets[0]["localized"], "Gameplay");
    EXPECT_EQ(sets[0]["priority"], 0);

    struct Expected {
        std::string name;
        XrActionType type;
        std::string localized;
    };
    const std::vector<Expected> expected = {
        {"primary_mount", XR_ACTION_TYPE_BOOLEAN_INPUT, "primary_mount"},
        {"secondary_mount", XR_ACTION_TYPE_BOOLEAN_INPUT, "secondary_mount"},
        {"aim_pose", XR_ACTION_TYPE_POSE_INPUT, "aim_pose"},
        {"grip_pose", XR_ACTION_TYPE_POSE_INPUT, "grip_pose"},
        {"support_hold", XR_ACTION_TYPE_FLOAT_INPUT, "support_hold"},
        {"support_click", XR_ACTION_TYPE_BOOLEAN_INPUT, "support_click"},
        {"trigger", XR_ACTION_TYPE_FLOAT_INPUT, "trigger"},
        {"move_turn", XR_ACTION_TYPE_VECTOR2F_INPUT, "move_turn"},
        {"use", XR_ACTION_TYPE_BOOLEAN_INPUT, "Use / Operate"},
        {"pause", XR_ACTION_TYPE_BOOLEAN_INPUT, "pause"},
        {"map", XR_ACTION_TYPE_BOOLEAN_INPUT, "map"},
        {"inventory", XR_ACTION_TYPE_BOOLEAN_INPUT, "inventory"},
        {"previous_weapon", XR_ACTION_TYPE_BOOLEAN_INPUT, "previous_weapon"},
        {"next_weapon", XR_ACTION_TYPE_BOOLEAN_INPUT, "next_weapon"},
        {"select", XR_ACTION_TYPE_BOOLEAN_INPUT, "select"},
        {"feedback", XR_ACTION_TYPE_VIBRATION_OUTPUT, "feedback"},
    };
    const auto actions = runtime.calls("xrCreateAction");
    ASSERT_EQ(actions.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actions[i]["name"], expected[i].name);
        EXPECT_EQ(actions[i]["type"], expected[i].type) << expected[i].name;
        EXPECT_EQ(actions[i]["localized"], expected[i].localized);
        EXPECT_EQ(actions[i]["subactions"], json({"/user/hand/left", "/user/hand/right"})) << expected[i].name;
    }
}

// Suggestions per profile, in order, with their counts and pairs; the
// optional profile comes last and only with its extension.
TEST(XrActions, EveryProfileGetsItsBindings) {
    struct Case {
        json script;
        std::vector<std::string> profiles;
        std::vector<int> counts;
    };
    const std::vector<Case> cases = {
        {json::object(), {kTouch, kIndex, kVive, kMicrosoft, kSimple}, {23, 23, 17, 18, 9}},
        {{{"extensions", {"XR_KHR_opengl_enable", "XR_FB_touch_controller_pro"}}},
         {kTouch, kIndex, kVive, kMicrosoft, kSimple, kTouchPro},
         {23, 23, 17, 18, 9, 23}},
    };
    for (const Case& test : cases) {
        const TestRuntime runtime(test.script);
        ASSERT_EQ(runXr(runtime, noFrames).error, "");
        const auto calls = runtime.calls("xrSuggestInteractionProfileBindings");
        ASSERT_EQ(calls.size(), test.profiles.size()) << test.script.dump();
        for (std::size_t i = 0; i < calls.size(); ++i) {
            const std::string& profile = test.profiles[i];
            EXPECT_EQ(calls[i]["profile"], profile);
            EXPECT_EQ(calls[i]["count"], test.counts[i]) << profile;
            EXPECT_EQ(suggested(calls[i]), expand(kBindings.at(profile))) << profile;
        }
    }
}

// A profile the runtime rejects is reported; the others stand, the set is
// still attached and its spaces made (left aim, left grip, right aim, right
// grip), and they go before the reference space at the end.
TEST(XrActions, RejectedProfileIsReportedAndTheSetStillAttached) {
    const TestRuntime runtime(json{{"rejected_profiles", {{kVive, XR_ERROR_PATH_UNSUPPORTED}}}});
    const auto outcome = runXr(runtime, noFrames);
    ASSERT_EQ(outcome.error, "");
    EXPECT_EQ(outcome.stderrText, "Controller profile unavailable: " + kVive + " (-22)\n"
                                  "OpenXR initialized: Bastion Test Runtime / 64x48 per eye\n"
                                  "OpenXR frames=0 stereo_frames=0\n");

    std::vector<std::string> order;
    std::map<std::uint64_t, std::string> spaces;
    for (const json& call : runtime.calls()) {
        const std::string name = call["call"];
        if (name == "xrSuggestInteractionProfileBindings") {
            order.push_back("suggest " + call["profile"].get<std::string>() + " " + call["result"].dump());
        } else if (name == "xrAttachSessionActionSets") {
            order.push_back("attach " + call["count"].dump());
        } else if (name == "xrCreateActionSpace") {
            const std::string space = call["action"].get<std::string>() + " " + call["hand"].dump();
            spaces[call["space"]] = space;
            order.push_back("create " + space);
        } else if (name == "xrCreateReferenceSpace") {
            spaces[call["space"]] = "reference";
        } else if (name == "xrDestroySpace") {
            order.push_back("destroy " + spaces[call["space"]]);
        } else if (name == "xrDestroySession" || name == "xrDestroyActionSet" || name == "xrDestroyInstance") {
            order.push_back(name);
        }
    }
    const std::vector<std::string> expected = {
        "suggest " + kTouch + " 0",
        "suggest " + kIndex + " 0",
        "suggest " + kVive + " -22",
        "suggest " + kMicrosoft + " 0",
        "suggest " + kSimple + " 0",
        "attach 1",
        "create aim_pose 0",
        "create grip_pose 0",
        "create aim_pose 1",
        "create grip_pose 1",
        "destroy aim_pose 0",
        "destroy aim_pose 1",
        "destroy grip_pose 0",
        "destroy grip_pose 1",
        "destroy reference",
        "xrDestroySession",
        "xrDestroyActionSet",
        "xrDestroyInstance",
    };
    EXPECT_EQ(order, expected);
}

// The set flags of a block, its sticks when not zero, and the x of each
// pose: "aim <left>,<right> grip <left>,<right>".
std::string describe(const vant::XR::Tracking& t) {
    std::ostringstream out;
    const auto flag = [&](bool value, const char* name) {
        if (value) out << name << ' ';
    };
    flag(t.aimValid[0], "aimValid0");
    flag(t.aimValid[1], "aimValid1");
    flag(t.gripValid[0], "gripValid0");
    flag(t.gripValid[1], "gripValid1");
    flag(t.squeeze[0], "squeeze0");
    flag(t.squeeze[1], "squeeze1");
    flag(t.rightSelectOrUse, "rightSelectOrUse");
    flag(t.leftUse, "leftUse");
    flag(t.leftTriggerTracked, "leftTriggerTracked");
    flag(t.trigger[0], "trigger0");
    flag(t.trigger[1], "trigger1");
    flag(t.primary[0], "primary0");
    flag(t.primary[1], "primary1");
    flag(t.secondary[0], "secondary0");
    flag(t.secondary[1], "secondary1");
    flag(t.leftSqueeze, "leftSqueeze");
    flag(t.leftSqueezeActive, "leftSqueezeActive");
    flag(t.rightClick, "rightClick");
    flag(t.leftClick, "leftClick");
    flag(t.pause, "pause");
    flag(t.previousWeapon, "previousWeapon");
    flag(t.nextWeapon, "nextWeapon");
    flag(t.map, "map");
    flag(t.inventory, "inventory");
    for (int h = 0; h < 2; ++h) {
        if (t.stick[h].x != 0.0f || t.stick[h].y != 0.0f) out << "stick" << h << '=' << t.stick[h].x << ',' << t.stick[h].y << ' ';
    }
    out << "aim " << t.aim[0].position.x << ',' << t.aim[1].position.x << " grip " << t.grip[0].position.x << ','
        << t.grip[1].position.x;
    return out.str();
}

// A located pose at x with the given location flags (15: all four bits).
json pose(float x, int flags = 15) { return {{"position", {x, 1, -0.5}}, {"flags", flags}}; }

TEST(XrActions, TrackingBlockFollowsTheScriptedActions) {
    constexpr int kTracked = XR_SPACE_LOCATION_ORIENTATION_VALID_BIT | XR_SPACE_LOCATION_POSITION_VALID_BIT |
                             XR_SPACE_LOCATION_ORIENTATION_TRACKED_BIT | XR_SPACE_LOCATION_POSITION_TRACKED_BIT;
    constexpr int kLocatedOnly = XR_SPACE_LOCATION_ORIENTATION_VALID_BIT | XR_SPACE_LOCATION_POSITION_VALID_BIT;
    struct Row {
        std::string what;
        json actions;
        std::string expected;  // describe() of the block after the frame
        std::string state = "";  // a session state reached before the frame
    };
    const json aimBoth = {pose(-1), pose(1)};
    const std::vector<Row> rows = {
        {"nothing bound", json::object(), "aim 0,0 grip 0,0"},
        {"squeeze rises to 0.6", {{"support_hold", {0.6, 0.0}}}, "leftSqueezeActive aim 0,0 grip 0,0"},
        {"past 0.65", {{"support_hold", {0.66, 0.0}}}, "squeeze0 leftSqueeze leftSqueezeActive aim 0,0 grip 0,0"},
        {"falls to 0.4", {{"support_hold", {0.4, 0.0}}}, "squeeze0 leftSqueeze leftSqueezeActive aim 0,0 grip 0,0"},
        {"exactly 0.35 clears", {{"support_hold", {0.35, 0.0}}}, "leftSqueezeActive aim 0,0 grip 0,0"},
        {"exactly 0.65 from false", {{"support_hold", {0.65, 0.0}}}, "leftSqueezeActive aim 0,0 grip 0,0"},
        {"click beats a low hold", {{"support_hold", {0.0, 0.1}}, {"support_click", {nullptr, true}}},
         "squeeze1 leftSqueezeActive aim 0,0 grip 0,0"},
        {"triggers 0.55 and 0.551", {{"trigger", {0.55, 0.551}}, {"aim_pose", aimBoth}},
         "aimValid0 aimValid1 trigger1 rightClick aim -1,1 grip 0,0"},
        {"right aim located but not valid", {{"trigger", {0.0, 0.9}}, {"select", {nullptr, true}},
                                             {"aim_pose", {pose(-2), pose(2, XR_SPACE_LOCATION_ORIENTATION_VALID_BIT)}}},
         "aimValid0 rightSelectOrUse trigger1 aim -2,2 grip 0,0"},
        {"use on the right", {{"use", {false, true}}}, "rightSelectOrUse leftClick aim 0,0 grip 0,0"},
        {"use and select on the left", {{"use", {true, false}}, {"select", {true, nullptr}}},
         "leftUse leftClick aim 0,0 grip 0,0"},
        {"right select with a valid aim", {{"select", {false, true}}, {"aim_pose", aimBoth}},
         "aimValid0 aimValid1 rightSelectOrUse rightClick aim -1,1 grip 0,0"},
        {"left trigger with only the grip valid",
         {{"trigger", {0.7, 0.0}}, {"grip_pose", {pose(-3), pose(3, kLocatedOnly)}}},
         "gripValid0 leftTriggerTracked trigger0 aim 0,0 grip -3,3"},
        {"left trigger with the aim valid", {{"trigger", {0.7, 0.0}}, {"aim_pose", {pose(-1), nullptr}},
                                             {"grip_pose", {pose(-3, kTracked), nullptr}}},
         "aimValid0 gripValid0 leftTriggerTracked trigger0 leftClick aim -1,0 grip -3,0"},
        {"buttons and sticks",
         {{"pause", {true, true}}, {"map", {false, true}}, {"inventory", {true, false}},
          {"previous_weapon", {false, true}}, {"next_weapon", {true, true}}, {"primary_mount", {true, false}},
          {"secondary_mount", {false, true}}, {"move_turn", {{0.5, -1.0}, nullptr}}, {"support_hold", {0.9, 0.0}},
          {"aim_pose", aimBoth}, {"grip_pose", {pose(-3), pose(3)}}},
         "aimValid0 aimValid1 gripValid0 gripValid1 squeeze0 primary0 secondary1 leftSqueeze leftSqueezeActive pause "
         "previousWeapon nextWeapon map inventory stick0=0.5,-1 aim -1,1 grip -3,3"},
        {"not focused: flags cleared, poses kept",
         {{"support_hold", {0.9, 0.0}}, {"trigger", {0.9, 0.9}}, {"pause", {true, true}},
          {"move_turn", {{1.0, 1.0}, {1.0, 1.0}}}, {"aim_pose", {pose(-5), pose(5)}}},
         "aim -1,1 grip -3,3", "visible"},
        {"focused again: the hold starts over", {{"support_hold", {0.5, 0.0}}, {"aim_pose", aimBoth}},
         "aimValid0 aimValid1 leftSqueezeActive aim -1,1 grip 0,0", "focused"},
    };

    json frames = json::array();
    json timeline = json::array();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        frames.push_back({{"actions", rows[i].actions}});
        if (!rows[i].state.empty()) timeline.push_back({{"after_frame", i}, {"state", rows[i].state}});
    }
    const TestRuntime runtime(json{{"frames", frames}, {"timeline", timeline}});
    const auto outcome = runXr(runtime, [&](vant::XR& xr, SDL_Window*) {
        json seen = json::array();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            xr.beginFrame(false, false);
            seen.push_back(describe(xr.tracking()) + (xr.focused() ? "" : " unfocused"));
            xr.endFrame([](const XrView&, int, int, int) {}, false);
        }
        return seen.dump();
    });
    ASSERT_EQ(outcome.error, "");
    const json seen = json::parse(outcome.result);
    ASSERT_EQ(seen.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string focus = rows[i].state == "visible" ? " unfocused" : "";
        EXPECT_EQ(seen[i], rows[i].expected + focus) << rows[i].what;
    }

    // Every begun frame synchronises, focused or not; the any-hand buttons
    // ask the right hand only while the left has not pressed them.
    EXPECT_EQ(runtime.calls("xrSyncActions").size(), rows.size());
    std::map<std::string, std::string> asked;
    int frame = 0;
    for (const json& call : runtime.calls()) {
        if (call["call"] == "xrWaitFrame") ++frame;
        if (frame == 15 && call["call"] == "xrGetActionStateBoolean") asked[call["action"]] += call["hand"].dump();
    }
    EXPECT_EQ(asked["pause"], "0");
    EXPECT_EQ(asked["inventory"], "0");
    EXPECT_EQ(asked["map"], "01");
    EXPECT_EQ(asked["previous_weapon"], "01");
    EXPECT_EQ(asked["use"], "01");
    EXPECT_EQ(asked["support_click"], "01");
}

TEST(XrActions, HapticVibratesTheRightHandClampedAndOnlyWhenFocused) {
    const TestRuntime runtime(json{{"timeline", {{{"after_frame", 1}, {"state", "visible"}}}}});
    const auto outcome = runXr(runtime, [](vant::XR& xr, SDL_Window*) {
        xr.beginFrame(false, false);
        xr.haptic(2.5f, 3000);
        xr.haptic(-1.0f, 20);
        xr.haptic(0.25f, 5);
        xr.endFrame([](const XrView&, int, int, int) {}, false);
        xr.beginFrame(false, false);
        xr.haptic(1.0f, 100);
        return std::string(xr.focused() ? "focused" : "unfocused");
    });
    ASSERT_EQ(outcome.error, "");
    EXPECT_EQ(outcome.result, "unfocused");
    const auto calls = runtime.calls("xrApplyHapticFeedback");
    ASSERT_EQ(calls.size(), 3u);
    const float amplitudes[] = {1.0f, 0.0f, 0.25f};
    // Three seconds do not fit a 32-bit count of nanoseconds.
    const std::int64_t durations[] = {3000000000, 20000000, 5000000};
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i]["action"], "feedback");
        EXPECT_EQ(calls[i]["hand"], 1);
        EXPECT_EQ(calls[i]["amplitude"].get<float>(), amplitudes[i]);
        EXPECT_EQ(calls[i]["duration"].get<std::int64_t>(), durations[i]);
        EXPECT_EQ(calls[i]["frequency"].get<float>(), XR_FREQUENCY_UNSPECIFIED);
    }
}

}  // namespace
}  // namespace bastion
