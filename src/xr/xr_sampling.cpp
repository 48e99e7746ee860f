#include <algorithm>

#include "xr/internal/xr_impl.h"

namespace vant {
namespace {

constexpr const char* kBooleanCall = "xrGetActionStateBoolean(x.session, &get, &state)";
constexpr float kTriggerPressed = 0.55f;
constexpr float kSqueezeOn = 0.65f;
constexpr float kSqueezeOff = 0.35f;

XrActionStateGetInfo getInfo(XrAction action, XrPath hand) {
    XrActionStateGetInfo get{XR_TYPE_ACTION_STATE_GET_INFO};
    get.action = action;
    get.subactionPath = hand;
    return get;
}

XrActionStateBoolean booleanState(const XR::Impl& x, XrAction action, XrPath hand, const char* call) {
    const XrActionStateGetInfo get = getInfo(action, hand);
    XrActionStateBoolean state{XR_TYPE_ACTION_STATE_BOOLEAN};
    check(xrGetActionStateBoolean(x.session, &get, &state), call);
    return state;
}

bool pressed(const XR::Impl& x, XrAction action, XrPath hand) {
    const XrActionStateBoolean state = booleanState(x, action, hand, kBooleanCall);
    return state.isActive == XR_TRUE && state.currentState == XR_TRUE;
}

XrActionStateFloat floatState(const XR::Impl& x, XrAction action, XrPath hand, const char* call) {
    const XrActionStateGetInfo get = getInfo(action, hand);
    XrActionStateFloat state{XR_TYPE_ACTION_STATE_FLOAT};
    check(xrGetActionStateFloat(x.session, &get, &state), call);
    return state;
}

// The located pose, and whether the action and the wanted location flags hold.
bool locate(const XR::Impl& x, XrAction action, XrPath hand, XrSpace space, XrTime time, XrSpaceLocationFlags wanted,
            XrPosef& pose, const char* stateCall, const char* locateCall) {
    const XrActionStateGetInfo get = getInfo(action, hand);
    XrActionStatePose state{XR_TYPE_ACTION_STATE_POSE};
    check(xrGetActionStatePose(x.session, &get, &state), stateCall);
    XrSpaceLocation location{XR_TYPE_SPACE_LOCATION};
    check(xrLocateSpace(space, x.space, time, &location), locateCall);
    pose = location.pose;
    return state.isActive == XR_TRUE && (location.locationFlags & wanted) == wanted;
}

}  // namespace

void XR::sampleActions(XrTime time, bool sampleWhenHidden) {
    Impl& x = *impl_;
    Tracking& t = x.tracking;
    const bool previousSqueeze[2] = {t.squeeze[0], t.squeeze[1]};
    // Everything but the poses and `active` starts cleared each sample.
    Tracking cleared;
    std::copy(std::begin(t.aim), std::end(t.aim), cleared.aim);
    std::copy(std::begin(t.grip), std::end(t.grip), cleared.grip);
    cleared.active = t.active;
    t = cleared;

    XrActiveActionSet activeSet{x.actions, XR_NULL_PATH};
    XrActionsSyncInfo sync{XR_TYPE_ACTIONS_SYNC_INFO};
    sync.countActiveActionSets = 1;
    sync.activeActionSets = &activeSet;
    check(xrSyncActions(x.session, &sync), "xrSyncActions(x.session, &sync)");

    if (!x.focused || !(sampleWhenHidden || x.visible) || !t.active) return;

    const XrSpaceLocationFlags located = XR_SPACE_LOCATION_ORIENTATION_VALID_BIT | XR_SPACE_LOCATION_POSITION_VALID_BIT;
    for (int h = 0; h < 2; ++h) {
        const XrPath hand = x.hands[h];
        t.aimValid[h] = locate(x, x.aimPose, hand, x.handSpaces[h], time, located, t.aim[h],
                               "xrGetActionStatePose(x.session, &get, &pose)",
                               "xrLocateSpace(x.handSpaces[h], x.space, time, &location)");
        t.gripValid[h] = locate(x, x.gripPose, hand, x.gripSpaces[h], time,
                                located | XR_SPACE_LOCATION_POSITION_TRACKED_BIT, t.grip[h],
                                "xrGetActionStatePose(x.session, &get, &grip)",
                                "xrLocateSpace(x.gripSpaces[h], x.space, time, &gripLocation)");

        const XrActionStateGetInfo get = getInfo(x.moveTurn, hand);
        XrActionStateVector2f stick{XR_TYPE_ACTION_STATE_VECTOR2F};
        check(xrGetActionStateVector2f(x.session, &get, &stick), "xrGetActionStateVector2f(x.session, &get, &stick)");
        if (stick.isActive == XR_TRUE) t.stick[h] = stick.currentState;

        t.primary[h] = pressed(x, x.primaryMount, hand);
        t.secondary[h] = pressed(x, x.secondaryMount, hand);
        const bool select = pressed(x, x.select, hand);
        const bool use = pressed(x, x.use, hand);
        if (h == 0) {
            t.leftClick = select;
            t.leftUse = use;
        } else {
            t.rightClick = select;
            t.rightSelectOrUse = select || use;
        }
        t.leftClick = t.leftClick || use;
        // Either hand sets these; the right is not asked once the left has.
        for (auto [action, flag] : {std::pair{x.pause, &t.pause}, std::pair{x.map, &t.map},
                                    std::pair{x.inventory, &t.inventory}, std::pair{x.previousWeapon, &t.previousWeapon},
                                    std::pair{x.nextWeapon, &t.nextWeapon}}) {
            if (!*flag) *flag = pressed(x, action, hand);
        }

        const XrActionStateBoolean click =
            booleanState(x, x.supportClick, hand, "xrGetActionStateBoolean(x.session, &get, &click)");
        const XrActionStateFloat squeeze =
            floatState(x, x.supportHold, hand, "xrGetActionStateFloat(x.session, &get, &squeeze)");
        if (click.isActive == XR_TRUE && click.currentState == XR_TRUE) {
            t.squeeze[h] = true;
        } else if (squeeze.isActive == XR_TRUE) {
            t.squeeze[h] = squeeze.currentState > (previousSqueeze[h] ? kSqueezeOff : kSqueezeOn);
        } else {
            t.squeeze[h] = false;
        }
        if (h == 0) {
            t.leftSqueeze = t.squeeze[0];
            t.leftSqueezeActive = click.isActive == XR_TRUE || squeeze.isActive == XR_TRUE;
        }

        const XrActionStateFloat trigger =
            floatState(x, x.trigger, hand, "xrGetActionStateFloat(x.session, &get, &trigger)");
        t.trigger[h] = trigger.isActive == XR_TRUE && trigger.currentState > kTriggerPressed;
        if (t.trigger[h]) {
            if (h == 0 && (t.aimValid[0] || t.gripValid[0])) t.leftTriggerTracked = true;
            if (t.aimValid[h]) (h == 0 ? t.leftClick : t.rightClick) = true;
        }
    }
    if (!t.aimValid[1]) t.rightClick = false;
}

void XR::haptic(float amplitude, int milliseconds) {
    Impl& x = *impl_;
    if (!x.focused) return;
    XrHapticActionInfo info{XR_TYPE_HAPTIC_ACTION_INFO};
    info.action = x.feedback;
    info.subactionPath = x.hands[1];
    XrHapticVibration vibration{XR_TYPE_HAPTIC_VIBRATION};
    vibration.amplitude = amplitude > 0.0f ? std::min(amplitude, 1.0f) : 0.0f;
    // 64-bit: beyond 2147 ms a 32-bit product would overflow.
    vibration.duration = static_cast<XrDuration>(milliseconds) * 1000000;
    vibration.frequency = XR_FREQUENCY_UNSPECIFIED;
    xrApplyHapticFeedback(x.session, &info, reinterpret_cast<const XrHapticBaseHeader*>(&vibration));
}

}  // namespace vant
