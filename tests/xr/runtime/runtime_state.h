#pragma once
// The test runtime's state: one instance and one session at a time, driven
// by a JSON script and logging each call as one JSON line.

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include <GL/glx.h>
#include <X11/Xlib.h>

#define XR_USE_GRAPHICS_API_OPENGL
#define XR_USE_PLATFORM_XLIB
#include <openxr/openxr.h>
#include <openxr/openxr_platform.h>

namespace test_runtime {

struct Swapchain {
    int eye = 0;  // order of creation
    std::int64_t format = 0;
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint32_t> textures;
    std::uint32_t next = 0;
};

struct Action {
    std::string name;
    XrActionType type = XR_ACTION_TYPE_BOOLEAN_INPUT;
};

struct Space {
    std::uint64_t action = 0;  // 0: the reference space
    int hand = -1;
};

struct State {
    nlohmann::json script;
    std::vector<std::string> paths;  // XrPath n names paths[n - 1]
    std::map<std::uint64_t, Swapchain> swapchains;
    std::map<std::uint64_t, Action> actions;
    std::map<std::uint64_t, Space> spaces;
    std::deque<XrSessionState> events;
    std::uint64_t nextHandle = 100;
    bool sessionRunning = false;
    int waitedFrames = 0;
    std::chrono::steady_clock::time_point nextWake;
    int endedFrames = 0;
};

State& state();
// A new instance starts from the script again.
void resetState();
void log(nlohmann::json entry);
// The script's entry for the frame being waited on (the last one repeats).
const nlohmann::json& currentFrame();

std::uint64_t newHandle();
std::string pathName(XrPath path);
int handOf(XrPath subactionPath);  // 0 left, 1 right, -1 none

template <typename Handle>
Handle toHandle(std::uint64_t id) {
    return reinterpret_cast<Handle>(static_cast<std::uintptr_t>(id));
}
template <typename Handle>
std::uint64_t fromHandle(Handle handle) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
}

// Entry points by name, grouped as the files that define them.
// Queues the timeline events due once `ended` frames have ended.
void framesEnded(int ended);

PFN_xrVoidFunction instanceFunction(const std::string& name);
PFN_xrVoidFunction frameFunction(const std::string& name);
PFN_xrVoidFunction actionFunction(const std::string& name);

}  // namespace test_runtime
