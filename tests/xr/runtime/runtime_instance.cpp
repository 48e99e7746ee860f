// A small OpenXR runtime for tests, loaded by the system's OpenXR loader
// through a manifest named by XR_RUNTIME_JSON. BASTION_XR_SCRIPT names its
// JSON script, BASTION_XR_LOG the file it appends one JSON line per call to
// (none when empty).

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "runtime_state.h"

namespace test_runtime {

using nlohmann::json;

namespace {

void loadScript(State& made) {
    made.script = json::object();
    if (const char* path = std::getenv("BASTION_XR_SCRIPT")) {
        std::ifstream in(path);
        made.script = json::parse(in);
    }
}

}  // namespace

// Destroyed when the loader unloads the library.
State& state() {
    static State instance = [] {
        State made;
        loadScript(made);
        return made;
    }();
    return instance;
}

void resetState() {
    state() = State{};
    loadScript(state());
}

void log(json entry) {
    const char* path = std::getenv("BASTION_XR_LOG");
    if (path == nullptr || *path == '\0') return;
    if (std::FILE* file = std::fopen(path, "a")) {
        const std::string line = entry.dump() + "\n";
        std::fwrite(line.data(), 1, line.size(), file);
        std::fclose(file);
    }
}

const json& currentFrame() {
    static const json none = json::object();
    const json& script = state().script;
    const auto frames = script.find("frames");
    if (frames == script.end() || !frames->is_array() || frames->empty()) return none;
    // An entry stands for "repeat" frames in a row (one when not given).
    long remaining = state().waitedFrames == 0 ? 0 : state().waitedFrames - 1;
    for (const json& frame : *frames) {
        remaining -= frame.value("repeat", 1L);
        if (remaining < 0) return frame;
    }
    return frames->back();
}

std::uint64_t newHandle() { return ++state().nextHandle; }

std::string pathName(XrPath path) {
    const auto& paths = state().paths;
    return path == XR_NULL_PATH || path > paths.size() ? std::string() : paths[path - 1];
}

int handOf(XrPath subactionPath) {
    const std::string name = pathName(subactionPath);
    if (name == "/user/hand/left") return 0;
    if (name == "/user/hand/right") return 1;
    return -1;
}

namespace {

constexpr std::uint64_t kInstance = 1;
constexpr std::uint64_t kSession = 2;
constexpr XrSystemId kSystem = 7;

std::string stateName(XrSessionState value) {
    switch (value) {
    case XR_SESSION_STATE_IDLE: return "idle";
    case XR_SESSION_STATE_READY: return "ready";
    case XR_SESSION_STATE_SYNCHRONIZED: return "synchronized";
    case XR_SESSION_STATE_VISIBLE: return "visible";
    case XR_SESSION_STATE_FOCUSED: return "focused";
    case XR_SESSION_STATE_STOPPING: return "stopping";
    case XR_SESSION_STATE_LOSS_PENDING: return "loss_pending";
    case XR_SESSION_STATE_EXITING: return "exiting";
    default: return "unknown";
    }
}

XrSessionState stateNamed(const std::string& name) {
    for (int value = XR_SESSION_STATE_IDLE; value <= XR_SESSION_STATE_EXITING; ++value) {
        if (stateName(static_cast<XrSessionState>(value)) == name) return static_cast<XrSessionState>(value);
    }
    return XR_SESSION_STATE_UNKNOWN;
}

template <typename T>
XrResult fillArray(const std::vector<T>& values, std::uint32_t capacity, std::uint32_t* count, T* out) {
    *count = static_cast<std::uint32_t>(values.size());
    if (capacity == 0) return XR_SUCCESS;
    if (capacity < values.size()) return XR_ERROR_SIZE_INSUFFICIENT;
    for (std::size_t i = 0; i < values.size(); ++i) out[i] = values[i];
    return XR_SUCCESS;
}

std::vector<std::string> extensions() {
    return state().script.value("extensions", std::vector<std::string>{"XR_KHR_opengl_enable"});
}

XRAPI_ATTR XrResult XRAPI_CALL enumerateExtensions(const char*, std::uint32_t capacity, std::uint32_t* count,
                                                   XrExtensionProperties* out) {
    const std::vector<std::string> names = extensions();
    *count = static_cast<std::uint32_t>(names.size());
    if (capacity == 0) return XR_SUCCESS;
    if (capacity < names.size()) return XR_ERROR_SIZE_INSUFFICIENT;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::snprintf(out[i].extensionName, sizeof out[i].extensionName, "%s", names[i].c_str());
        out[i].extensionVersion = 1;
    }
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL createInstance(const XrInstanceCreateInfo* info, XrInstance* instance) {
    resetState();
    json enabled = json::array();
    const std::vector<std::string> offered = extensions();
    XrResult result = XR_SUCCESS;
    for (std::uint32_t i = 0; i < info->enabledExtensionCount; ++i) {
        enabled.push_back(info->enabledExtensionNames[i]);
        if (std::find(offered.begin(), offered.end(), info->enabledExtensionNames[i]) == offered.end()) {
            result = XR_ERROR_EXTENSION_NOT_PRESENT;
        }
    }
    log({{"call", "xrCreateInstance"},
         {"application", info->applicationInfo.applicationName},
         {"engine", info->applicationInfo.engineName},
         {"api_version", info->applicationInfo.apiVersion},
         {"extensions", enabled}});
    if (result == XR_SUCCESS) *instance = toHandle<XrInstance>(kInstance);
    return result;
}

XRAPI_ATTR XrResult XRAPI_CALL destroyInstance(XrInstance) {
    log({{"call", "xrDestroyInstance"}});
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL instanceProperties(XrInstance, XrInstanceProperties* properties) {
    const std::string name = state().script.value("name", std::string("Bastion Test Runtime"));
    std::snprintf(properties->runtimeName, sizeof properties->runtimeName, "%s", name.c_str());
    properties->runtimeVersion = XR_MAKE_VERSION(0, 1, 0);
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL getSystem(XrInstance, const XrSystemGetInfo* info, XrSystemId* system) {
    log({{"call", "xrGetSystem"}, {"form_factor", info->formFactor}});
    *system = kSystem;
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL graphicsRequirements(XrInstance, XrSystemId, XrGraphicsRequirementsOpenGLKHR* out) {
    const json range = state().script.value("gl_range", json::parse("[[3,0],[4,6]]"));
    out->minApiVersionSupported = XR_MAKE_VERSION(range[0][0].get<int>(), range[0][1].get<int>(), 0);
    out->maxApiVersionSupported = XR_MAKE_VERSION(range[1][0].get<int>(), range[1][1].get<int>(), 0);
    log({{"call", "xrGetOpenGLGraphicsRequirementsKHR"}});
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL blendModes(XrInstance, XrSystemId, XrViewConfigurationType, std::uint32_t capacity,
                                          std::uint32_t* count, XrEnvironmentBlendMode* out) {
    std::vector<XrEnvironmentBlendMode> modes;
    for (int mode : state().script.value("blend_modes", std::vector<int>{1})) {
        modes.push_back(static_cast<XrEnvironmentBlendMode>(mode));
    }
    return fillArray(modes, capacity, count, out);
}

std::vector<XrViewConfigurationView> configuredViews() {
    std::vector<XrViewConfigurationView> views;
    const json sizes = state().script.value("views", json::parse("[[64,48],[64,48]]"));
    for (const json& size : sizes) {
        XrViewConfigurationView view{XR_TYPE_VIEW_CONFIGURATION_VIEW};
        view.recommendedImageRectWidth = view.maxImageRectWidth = size[0].get<std::uint32_t>();
        view.recommendedImageRectHeight = view.maxImageRectHeight = size[1].get<std::uint32_t>();
        view.recommendedSwapchainSampleCount = view.maxSwapchainSampleCount = 1;
        views.push_back(view);
    }
    return views;
}

XRAPI_ATTR XrResult XRAPI_CALL viewConfigurationViews(XrInstance, XrSystemId, XrViewConfigurationType,
                                                      std::uint32_t capacity, std::uint32_t* count,
                                                      XrViewConfigurationView* out) {
    return fillArray(configuredViews(), capacity, count, out);
}

XRAPI_ATTR XrResult XRAPI_CALL createSession(XrInstance, const XrSessionCreateInfo* info, XrSession* session) {
    const auto* binding = static_cast<const XrGraphicsBindingOpenGLXlibKHR*>(info->next);
    const bool bound = binding != nullptr && binding->type == XR_TYPE_GRAPHICS_BINDING_OPENGL_XLIB_KHR &&
                       binding->xDisplay != nullptr && binding->glxContext != nullptr && binding->glxDrawable != 0;
    log({{"call", "xrCreateSession"}, {"xlib_binding", bound}, {"visual", bound ? binding->visualid : 0u}});
    if (!bound) return XR_ERROR_GRAPHICS_DEVICE_INVALID;
    *session = toHandle<XrSession>(kSession);
    State& s = state();
    s.events.push_back(XR_SESSION_STATE_IDLE);
    if (s.script.value("ready", true)) s.events.push_back(XR_SESSION_STATE_READY);
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL destroySession(XrSession) {
    log({{"call", "xrDestroySession"}});
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL beginSession(XrSession, const XrSessionBeginInfo* info) {
    log({{"call", "xrBeginSession"}, {"view_configuration", info->primaryViewConfigurationType}});
    State& s = state();
    s.sessionRunning = true;
    s.events.push_back(XR_SESSION_STATE_SYNCHRONIZED);
    const XrSessionState last = stateNamed(s.script.value("begin_state", std::string("focused")));
    if (last >= XR_SESSION_STATE_VISIBLE) s.events.push_back(XR_SESSION_STATE_VISIBLE);
    if (last >= XR_SESSION_STATE_FOCUSED) s.events.push_back(XR_SESSION_STATE_FOCUSED);
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL endSession(XrSession) {
    log({{"call", "xrEndSession"}});
    State& s = state();
    s.sessionRunning = false;
    s.events.push_back(XR_SESSION_STATE_IDLE);
    s.events.push_back(XR_SESSION_STATE_EXITING);
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL pollEvent(XrInstance, XrEventDataBuffer* buffer) {
    State& s = state();
    if (s.events.empty()) return XR_EVENT_UNAVAILABLE;
    auto* changed = reinterpret_cast<XrEventDataSessionStateChanged*>(buffer);
    *changed = XrEventDataSessionStateChanged{XR_TYPE_EVENT_DATA_SESSION_STATE_CHANGED};
    changed->session = toHandle<XrSession>(kSession);
    changed->state = s.events.front();
    s.events.pop_front();
    log({{"call", "xrPollEvent"}, {"state", stateName(changed->state)}});
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL stringToPath(XrInstance, const char* name, XrPath* path) {
    auto& paths = state().paths;
    const auto found = std::find(paths.begin(), paths.end(), name);
    if (found == paths.end()) paths.emplace_back(name);
    *path = static_cast<XrPath>(std::find(paths.begin(), paths.end(), name) - paths.begin() + 1);
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL createReferenceSpace(XrSession, const XrReferenceSpaceCreateInfo* info, XrSpace* out) {
    const std::uint64_t id = newHandle();
    state().spaces[id] = Space{};
    log({{"call", "xrCreateReferenceSpace"}, {"type", info->referenceSpaceType}, {"space", id}});
    *out = toHandle<XrSpace>(id);
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL destroySpace(XrSpace space) {
    const std::uint64_t id = fromHandle(space);
    const auto found = state().spaces.find(id);
    if (found == state().spaces.end()) return XR_ERROR_HANDLE_INVALID;
    const Space& s = found->second;
    const std::string action = s.action == 0 ? "" : state().actions[s.action].name;
    log({{"call", "xrDestroySpace"}, {"space", id}, {"action", action}, {"hand", s.hand}});
    state().spaces.erase(found);
    return XR_SUCCESS;
}

// Timeline entries {"after_frame": K, "state": name} arrive once K frames ended.
void frameEnded(int ended) {
    for (const json& entry : state().script.value("timeline", json::array())) {
        if (entry.value("after_frame", -1) == ended) state().events.push_back(stateNamed(entry.value("state", "")));
    }
}

}  // namespace

void framesEnded(int ended) { frameEnded(ended); }

PFN_xrVoidFunction instanceFunction(const std::string& name) {
    static const std::map<std::string, PFN_xrVoidFunction> functions = {
        {"xrEnumerateInstanceExtensionProperties", reinterpret_cast<PFN_xrVoidFunction>(enumerateExtensions)},
        {"xrCreateInstance", reinterpret_cast<PFN_xrVoidFunction>(createInstance)},
        {"xrDestroyInstance", reinterpret_cast<PFN_xrVoidFunction>(destroyInstance)},
        {"xrGetInstanceProperties", reinterpret_cast<PFN_xrVoidFunction>(instanceProperties)},
        {"xrGetSystem", reinterpret_cast<PFN_xrVoidFunction>(getSystem)},
        {"xrGetOpenGLGraphicsRequirementsKHR", reinterpret_cast<PFN_xrVoidFunction>(graphicsRequirements)},
        {"xrEnumerateEnvironmentBlendModes", reinterpret_cast<PFN_xrVoidFunction>(blendModes)},
        {"xrEnumerateViewConfigurationViews", reinterpret_cast<PFN_xrVoidFunction>(viewConfigurationViews)},
        {"xrCreateSession", reinterpret_cast<PFN_xrVoidFunction>(createSession)},
        {"xrDestroySession", reinterpret_cast<PFN_xrVoidFunction>(destroySession)},
        {"xrBeginSession", reinterpret_cast<PFN_xrVoidFunction>(beginSession)},
        {"xrEndSession", reinterpret_cast<PFN_xrVoidFunction>(endSession)},
        {"xrPollEvent", reinterpret_cast<PFN_xrVoidFunction>(pollEvent)},
        {"xrStringToPath", reinterpret_cast<PFN_xrVoidFunction>(stringToPath)},
        {"xrCreateReferenceSpace", reinterpret_cast<PFN_xrVoidFunction>(createReferenceSpace)},
        {"xrDestroySpace", reinterpret_cast<PFN_xrVoidFunction>(destroySpace)},
    };
    const auto found = functions.find(name);
    return found == functions.end() ? nullptr : found->second;
}

}  // namespace test_runtime

namespace {

XRAPI_ATTR XrResult XRAPI_CALL getInstanceProcAddr(XrInstance instance, const char* name, PFN_xrVoidFunction* out) {
    using namespace test_runtime;
    const std::string wanted = name;
    PFN_xrVoidFunction found = instanceFunction(wanted);
    if (instance == XR_NULL_HANDLE && wanted != "xrEnumerateInstanceExtensionProperties" &&
        wanted != "xrCreateInstance") {
        found = nullptr;
    } else if (found == nullptr) {
        found = frameFunction(wanted);
        if (found == nullptr) found = actionFunction(wanted);
    }
    if (wanted == "xrGetInstanceProcAddr") found = reinterpret_cast<PFN_xrVoidFunction>(getInstanceProcAddr);
    *out = found;
    return found == nullptr ? XR_ERROR_FUNCTION_UNSUPPORTED : XR_SUCCESS;
}

// The loader's negotiation structures, as its runtime interface defines them.
enum LoaderInterfaceStruct { kLoaderInfo = 1, kRuntimeRequest = 3 };

struct NegotiateLoaderInfo {
    LoaderInterfaceStruct structType;
    std::uint32_t structVersion;
    std::size_t structSize;
    std::uint32_t minInterfaceVersion;
    std::uint32_t maxInterfaceVersion;
    XrVersion minApiVersion;
    XrVersion maxApiVersion;
};

struct NegotiateRuntimeRequest {
    LoaderInterfaceStruct structType;
    std::uint32_t structVersion;
    std::size_t structSize;
    std::uint32_t runtimeInterfaceVersion;
    XrVersion runtimeApiVersion;
    PFN_xrGetInstanceProcAddr getInstanceProcAddr;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) XrResult xrNegotiateLoaderRuntimeInterface(
    const NegotiateLoaderInfo* loaderInfo, NegotiateRuntimeRequest* request) {
    if (loaderInfo == nullptr || request == nullptr || loaderInfo->structType != kLoaderInfo ||
        request->structType != kRuntimeRequest || loaderInfo->minInterfaceVersion > 1) {
        return XR_ERROR_INITIALIZATION_FAILED;
    }
    request->runtimeInterfaceVersion = 1;
    request->runtimeApiVersion = XR_CURRENT_API_VERSION;
    request->getInstanceProcAddr = getInstanceProcAddr;
    return XR_SUCCESS;
}
