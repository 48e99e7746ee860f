#include <cstring>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "xr/internal/xr_impl.h"

namespace vant {
namespace {

constexpr const char* kPathCall = "xrStringToPath(x.instance, name, &value)";
constexpr const char* kHandNames[2] = {"/user/hand/left", "/user/hand/right"};

XrPath toPath(XrInstance instance, const std::string& name) {
    XrPath value = XR_NULL_PATH;
    check(xrStringToPath(instance, name.c_str(), &value), kPathCall);
    return value;
}

struct ActionSpec {
    XrAction XR::Impl::*handle;
    const char* name;
    XrActionType type;
    const char* localized;
};

const ActionSpec kActions[] = {
    {&XR::Impl::primaryMount, "primary_mount", XR_ACTION_TYPE_BOOLEAN_INPUT, "primary_mount"},
    {&XR::Impl::secondaryMount, "secondary_mount", XR_ACTION_TYPE_BOOLEAN_INPUT, "secondary_mount"},
    {&XR::Impl::aimPose, "aim_pose", XR_ACTION_TYPE_POSE_INPUT, "aim_pose"},
    {&XR::Impl::gripPose, "grip_pose", XR_ACTION_TYPE_POSE_INPUT, "grip_pose"},
    {&XR::Impl::supportHold, "support_hold", XR_ACTION_TYPE_FLOAT_INPUT, "support_hold"},
    {&XR::Impl::supportClick, "support_click", XR_ACTION_TYPE_BOOLEAN_INPUT, "support_click"},
    {&XR::Impl::trigger, "trigger", XR_ACTION_TYPE_FLOAT_INPUT, "trigger"},
    {&XR::Impl::moveTurn, "move_turn", XR_ACTION_TYPE_VECTOR2F_INPUT, "move_turn"},
    {&XR::Impl::use, "use", XR_ACTION_TYPE_BOOLEAN_INPUT, "Use / Operate"},
    {&XR::Impl::pause, "pause", XR_ACTION_TYPE_BOOLEAN_INPUT, "pause"},
    {&XR::Impl::map, "map", XR_ACTION_TYPE_BOOLEAN_INPUT, "map"},
    {&XR::Impl::inventory, "inventory", XR_ACTION_TYPE_BOOLEAN_INPUT, "inventory"},
    {&XR::Impl::previousWeapon, "previous_weapon", XR_ACTION_TYPE_BOOLEAN_INPUT, "previous_weapon"},
    {&XR::Impl::nextWeapon, "next_weapon", XR_ACTION_TYPE_BOOLEAN_INPUT, "next_weapon"},
    {&XR::Impl::select, "select", XR_ACTION_TYPE_BOOLEAN_INPUT, "select"},
    {&XR::Impl::feedback, "feedback", XR_ACTION_TYPE_VIBRATION_OUTPUT, "feedback"},
};

// What a profile path says about its controller.
struct ProfileKind {
    bool simple, vive, microsoft, index, touchLike;
};

ProfileKind kindOf(const std::string& profile) {
    ProfileKind kind{};
    kind.simple = profile.find("simple") != std::string::npos;
    kind.vive = profile.find("vive") != std::string::npos;
    kind.microsoft = profile.find("microsoft/motion_controller") != std::string::npos;
    kind.index = profile.find("index") != std::string::npos;
    kind.touchLike = !kind.simple && !kind.vive && !kind.microsoft;
    return kind;
}

using Bindings = std::vector<std::pair<XrAction, std::string>>;

Bindings indexBindings(const XR::Impl& x) {
    Bindings list;
    for (const char* hand : kHandNames) {
        const std::string h = hand;
        list.insert(list.end(), {{x.aimPose, h + "/input/aim/pose"},
                                 {x.gripPose, h + "/input/grip/pose"},
                                 {x.feedback, h + "/output/haptic"},
                                 {x.trigger, h + "/input/trigger/value"},
                                 {x.moveTurn, h + "/input/thumbstick"},
                                 {x.use, h + "/input/a/click"},
                                 {x.supportHold, h + "/input/squeeze/value"}});
    }
    const std::string left = kHandNames[0];
    const std::string right = kHandNames[1];
    list.insert(list.end(), {{x.map, right + "/input/trackpad/force"},
                             {x.inventory, right + "/input/thumbstick/click"},
                             {x.pause, left + "/input/thumbstick/click"},
                             {x.previousWeapon, left + "/input/b/click"},
                             {x.nextWeapon, right + "/input/b/click"}});
    return list;
}

Bindings suggestedBindings(const XR::Impl& x, const ProfileKind& kind) {
    const std::string left = kHandNames[0];
    const std::string right = kHandNames[1];
    Bindings list;
    if (kind.index) {
        list = indexBindings(x);
    } else {
        for (int hand = 0; hand < 2; ++hand) {
            const std::string h = kHandNames[hand];
            list.insert(list.end(), {{x.aimPose, h + "/input/aim/pose"},
                                     {x.gripPose, h + "/input/grip/pose"},
                                     {x.feedback, h + "/output/haptic"}});
            if (kind.simple) {
                list.emplace_back(x.select, h + "/input/select/click");
                continue;
            }
            list.emplace_back(x.trigger, h + "/input/trigger/value");
            list.emplace_back(x.moveTurn, h + (kind.vive ? "/input/trackpad" : "/input/thumbstick"));
            if (kind.touchLike) {
                list.emplace_back(x.supportHold, h + "/input/squeeze/value");
                list.emplace_back(x.use, h + (hand == 0 ? "/input/x/click" : "/input/a/click"));
            } else {
                list.emplace_back(x.supportClick, h + "/input/squeeze/click");
                if (hand == 1) list.emplace_back(x.use, h + "/input/squeeze/click");
            }
        }
        list.emplace_back(x.pause, left + "/input/menu/click");
        if (kind.touchLike) {
            list.emplace_back(x.previousWeapon, left + "/input/y/click");
            list.emplace_back(x.nextWeapon, right + "/input/b/click");
        }
        if (kind.touchLike) {
            list.emplace_back(x.map, left + "/input/thumbstick/click");
            list.emplace_back(x.inventory, right + "/input/thumbstick/click");
        } else if (!kind.simple) {
            list.emplace_back(x.map, left + "/input/trackpad/click");
            list.emplace_back(x.inventory, right + "/input/trackpad/click");
        }
        if (kind.microsoft) {
            list.emplace_back(x.previousWeapon, left + "/input/thumbstick/click");
            list.emplace_back(x.nextWeapon, right + "/input/thumbstick/click");
        } else if (kind.vive) {
            list.emplace_back(x.nextWeapon, right + "/input/menu/click");
        }
    }
    if (kind.touchLike) {
        const char* leftPrimary = kind.index ? "/input/a/click" : "/input/x/click";
        const char* leftSecondary = kind.index ? "/input/b/click" : "/input/y/click";
        list.insert(list.end(), {{x.primaryMount, right + "/input/a/click"},
                                 {x.secondaryMount, right + "/input/b/click"},
                                 {x.primaryMount, left + leftPrimary},
                                 {x.secondaryMount, left + leftSecondary}});
    }
    return list;
}

void createActionSpace(XR::Impl& x, XrAction action, int hand, XrSpace& out, const char* call) {
    XrActionSpaceCreateInfo info{XR_TYPE_ACTION_SPACE_CREATE_INFO};
    info.action = action;
    info.subactionPath = x.hands[hand];
    info.poseInActionSpace.orientation.w = 1.0f;
    check(xrCreateActionSpace(x.session, &info, &out), call);
}

}  // namespace

void XR::initializeActions() {
    Impl& x = *impl_;
    for (int hand = 0; hand < 2; ++hand) x.hands[hand] = toPath(x.instance, kHandNames[hand]);

    XrActionSetCreateInfo set{XR_TYPE_ACTION_SET_CREATE_INFO};
    std::strcpy(set.actionSetName, "gameplay");
    std::strcpy(set.localizedActionSetName, "Gameplay");
    set.priority = 0;
    check(xrCreateActionSet(x.instance, &set, &x.actions), "xrCreateActionSet(x.instance, &set, &x.actions)");

    for (const ActionSpec& spec : kActions) {
        XrActionCreateInfo info{XR_TYPE_ACTION_CREATE_INFO};
        std::strcpy(info.actionName, spec.name);
        std::strcpy(info.localizedActionName, spec.localized);
        info.actionType = spec.type;
        info.countSubactionPaths = 2;
        info.subactionPaths = x.hands;
        XrAction& out = x.*spec.handle;
        check(xrCreateAction(x.actions, &info, &out), "xrCreateAction(x.actions, &info, &out)");
    }

    std::vector<std::string> profiles{"/interaction_profiles/oculus/touch_controller",
                                      "/interaction_profiles/valve/index_controller",
                                      "/interaction_profiles/htc/vive_controller",
                                      "/interaction_profiles/microsoft/motion_controller",
                                      "/interaction_profiles/khr/simple_controller"};
    if (x.touchPro) profiles.emplace_back("/interaction_profiles/facebook/touch_controller_pro");
    for (const std::string& profile : profiles) {
        const Bindings bindings = suggestedBindings(x, kindOf(profile));
        std::vector<XrActionSuggestedBinding> suggested;
        suggested.reserve(bindings.size());
        for (const auto& [action, path] : bindings) suggested.push_back({action, toPath(x.instance, path)});
        XrInteractionProfileSuggestedBinding suggestion{XR_TYPE_INTERACTION_PROFILE_SUGGESTED_BINDING};
        suggestion.interactionProfile = toPath(x.instance, profile);
        suggestion.countSuggestedBindings = static_cast<std::uint32_t>(suggested.size());
        suggestion.suggestedBindings = suggested.data();
        // A runtime that lacks a profile keeps the others.
        const XrResult result = xrSuggestInteractionProfileBindings(x.instance, &suggestion);
        if (result < 0) {
            std::cerr << "Controller profile unavailable: " << profile << " (" << static_cast<int>(result) << ")\n";
        }
    }

    XrSessionActionSetsAttachInfo attach{XR_TYPE_SESSION_ACTION_SETS_ATTACH_INFO};
    attach.countActionSets = 1;
    attach.actionSets = &x.actions;
    check(xrAttachSessionActionSets(x.session, &attach), "xrAttachSessionActionSets(x.session, &attach)");

    for (int h = 0; h < 2; ++h) {
        createActionSpace(x, x.aimPose, h, x.handSpaces[h], "xrCreateActionSpace(x.session, &info, &x.handSpaces[h])");
        createActionSpace(x, x.gripPose, h, x.gripSpaces[h], "xrCreateActionSpace(x.session, &info, &x.gripSpaces[h])");
    }
}

}  // namespace vant
