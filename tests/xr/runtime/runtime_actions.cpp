#include "runtime_state.h"

namespace test_runtime {
namespace {

using nlohmann::json;

constexpr std::uint64_t kActionSet = 3;

// The script's value of an action for one hand this frame; null: inactive.
json handValue(std::uint64_t action, int hand) {
    const auto found = state().actions.find(action);
    if (hand < 0 || found == state().actions.end()) return nullptr;
    const json& frame = currentFrame();
    const auto actions = frame.find("actions");
    if (actions == frame.end()) return nullptr;
    const auto values = actions->find(found->second.name);
    if (values == actions->end() || !values->is_array() || static_cast<std::size_t>(hand) >= values->size()) {
        return nullptr;
    }
    return (*values)[static_cast<std::size_t>(hand)];
}

json actionValue(std::uint64_t action, XrPath subactionPath) { return handValue(action, handOf(subactionPath)); }

XRAPI_ATTR XrResult XRAPI_CALL createActionSet(XrInstance, const XrActionSetCreateInfo* info, XrActionSet* out) {
    log({{"call", "xrCreateActionSet"},
         {"name", info->actionSetName},
         {"localized", info->localizedActionSetName},
         {"priority", info->priority}});
    *out = toHandle<XrActionSet>(kActionSet);
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL destroyActionSet(XrActionSet) {
    log({{"call", "xrDestroyActionSet"}});
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL createAction(XrActionSet, const XrActionCreateInfo* info, XrAction* out) {
    json subactions = json::array();
    for (std::uint32_t i = 0; i < info->countSubactionPaths; ++i) subactions.push_back(pathName(info->subactionPaths[i]));
    log({{"call", "xrCreateAction"},
         {"name", info->actionName},
         {"type", info->actionType},
         {"localized", info->localizedActionName},
         {"subactions", subactions}});
    const std::uint64_t id = newHandle();
    state().actions[id] = Action{info->actionName, info->actionType};
    *out = toHandle<XrAction>(id);
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL suggestBindings(XrInstance, const XrInteractionProfileSuggestedBinding* info) {
    const std::string profile = pathName(info->interactionProfile);
    json bindings = json::array();
    for (std::uint32_t i = 0; i < info->countSuggestedBindings; ++i) {
        const XrActionSuggestedBinding& binding = info->suggestedBindings[i];
        bindings.push_back({state().actions[fromHandle(binding.action)].name, pathName(binding.binding)});
    }
    const json rejected = state().script.value("rejected_profiles", json::object());
    const int result = rejected.value(profile, 0);
    log({{"call", "xrSuggestInteractionProfileBindings"},
         {"profile", profile},
         {"count", info->countSuggestedBindings},
         {"bindings", bindings},
         {"result", result}});
    return static_cast<XrResult>(result);
}

XRAPI_ATTR XrResult XRAPI_CALL attach(XrSession, const XrSessionActionSetsAttachInfo* info) {
    log({{"call", "xrAttachSessionActionSets"}, {"count", info->countActionSets}});
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL createActionSpace(XrSession, const XrActionSpaceCreateInfo* info, XrSpace* out) {
    const std::uint64_t id = newHandle();
    const std::uint64_t action = fromHandle(info->action);
    state().spaces[id] = Space{action, handOf(info->subactionPath)};
    log({{"call", "xrCreateActionSpace"},
         {"action", state().actions[action].name},
         {"hand", handOf(info->subactionPath)},
         {"space", id}});
    *out = toHandle<XrSpace>(id);
    return XR_SUCCESS;
}

XrVector3f vector3(const json& value) {
    if (!value.is_array() || value.size() != 3) return {0, 0, 0};
    return {value[0].get<float>(), value[1].get<float>(), value[2].get<float>()};
}

XRAPI_ATTR XrResult XRAPI_CALL locateSpace(XrSpace space, XrSpace, XrTime time, XrSpaceLocation* location) {
    const auto found = state().spaces.find(fromHandle(space));
    if (found == state().spaces.end()) return XR_ERROR_HANDLE_INVALID;
    const Space& s = found->second;
    location->pose = XrPosef{{0, 0, 0, 1}, {0, 0, 0}};
    location->locationFlags = 0;
    if (s.action != 0) {
        const json pose = handValue(s.action, s.hand);
        if (pose.is_object()) {
            const json q = pose.value("orientation", json::array({0, 0, 0, 1}));
            location->pose.orientation = {q[0].get<float>(), q[1].get<float>(), q[2].get<float>(), q[3].get<float>()};
            location->pose.position = vector3(pose.value("position", json()));
            location->locationFlags = pose.value("flags", 15);
        }
    }
    log({{"call", "xrLocateSpace"}, {"space", fromHandle(space)}, {"time", time}});
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL syncActions(XrSession, const XrActionsSyncInfo* info) {
    log({{"call", "xrSyncActions"}, {"sets", info->countActiveActionSets}});
    return XR_SUCCESS;
}

void logState(const char* call, const XrActionStateGetInfo* info, const json& value) {
    log({{"call", call},
         {"action", state().actions[fromHandle(info->action)].name},
         {"hand", handOf(info->subactionPath)},
         {"value", value}});
}

XRAPI_ATTR XrResult XRAPI_CALL booleanState(XrSession, const XrActionStateGetInfo* info, XrActionStateBoolean* out) {
    const json value = actionValue(fromHandle(info->action), info->subactionPath);
    logState("xrGetActionStateBoolean", info, value);
    out->isActive = value.is_boolean() ? XR_TRUE : XR_FALSE;
    out->currentState = value.is_boolean() && value.get<bool>() ? XR_TRUE : XR_FALSE;
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL floatState(XrSession, const XrActionStateGetInfo* info, XrActionStateFloat* out) {
    const json value = actionValue(fromHandle(info->action), info->subactionPath);
    logState("xrGetActionStateFloat", info, value);
    out->isActive = value.is_number() ? XR_TRUE : XR_FALSE;
    out->currentState = value.is_number() ? value.get<float>() : 0.0f;
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL vectorState(XrSession, const XrActionStateGetInfo* info, XrActionStateVector2f* out) {
    const json value = actionValue(fromHandle(info->action), info->subactionPath);
    logState("xrGetActionStateVector2f", info, value);
    const bool active = value.is_array() && value.size() == 2;
    out->isActive = active ? XR_TRUE : XR_FALSE;
    out->currentState = active ? XrVector2f{value[0].get<float>(), value[1].get<float>()} : XrVector2f{0, 0};
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL poseState(XrSession, const XrActionStateGetInfo* info, XrActionStatePose* out) {
    const json value = actionValue(fromHandle(info->action), info->subactionPath);
    logState("xrGetActionStatePose", info, value.is_object());
    out->isActive = value.is_object() ? XR_TRUE : XR_FALSE;
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL haptic(XrSession, const XrHapticActionInfo* info, const XrHapticBaseHeader* header) {
    const auto* vibration = reinterpret_cast<const XrHapticVibration*>(header);
    log({{"call", "xrApplyHapticFeedback"},
         {"action", state().actions[fromHandle(info->action)].name},
         {"hand", handOf(info->subactionPath)},
         {"amplitude", vibration->amplitude},
         {"duration", vibration->duration},
         {"frequency", vibration->frequency}});
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL destroyAction(XrAction) { return XR_SUCCESS; }

}  // namespace

PFN_xrVoidFunction actionFunction(const std::string& name) {
    static const std::map<std::string, PFN_xrVoidFunction> functions = {
        {"xrCreateActionSet", reinterpret_cast<PFN_xrVoidFunction>(createActionSet)},
        {"xrDestroyActionSet", reinterpret_cast<PFN_xrVoidFunction>(destroyActionSet)},
        {"xrCreateAction", reinterpret_cast<PFN_xrVoidFunction>(createAction)},
        {"xrDestroyAction", reinterpret_cast<PFN_xrVoidFunction>(destroyAction)},
        {"xrSuggestInteractionProfileBindings", reinterpret_cast<PFN_xrVoidFunction>(suggestBindings)},
        {"xrAttachSessionActionSets", reinterpret_cast<PFN_xrVoidFunction>(attach)},
        {"xrCreateActionSpace", reinterpret_cast<PFN_xrVoidFunction>(createActionSpace)},
        {"xrLocateSpace", reinterpret_cast<PFN_xrVoidFunction>(locateSpace)},
        {"xrSyncActions", reinterpret_cast<PFN_xrVoidFunction>(syncActions)},
        {"xrGetActionStateBoolean", reinterpret_cast<PFN_xrVoidFunction>(booleanState)},
        {"xrGetActionStateFloat", reinterpret_cast<PFN_xrVoidFunction>(floatState)},
        {"xrGetActionStateVector2f", reinterpret_cast<PFN_xrVoidFunction>(vectorState)},
        {"xrGetActionStatePose", reinterpret_cast<PFN_xrVoidFunction>(poseState)},
        {"xrApplyHapticFeedback", reinterpret_cast<PFN_xrVoidFunction>(haptic)},
    };
    const auto found = functions.find(name);
    return found == functions.end() ? nullptr : found->second;
}

}  // namespace test_runtime
