#pragma once
// Internal to the xr library: the session state behind vant::XR.

#include <array>
#include <string>
#include <vector>

#include "xr/internal/openxr_gl.h"
#include "xr/xr.h"

namespace vant {

struct XR::Impl {
    struct Eye {
        XrSwapchain chain = XR_NULL_HANDLE;
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::vector<XrSwapchainImageOpenGLKHR> images;
        GLuint depth = 0;
    };

    Impl();
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    XrInstance instance = XR_NULL_HANDLE;
    XrSession session = XR_NULL_HANDLE;
    XrSpace space = XR_NULL_HANDLE;
    XrSystemId system = XR_NULL_SYSTEM_ID;
    bool running = false;
    bool exitRequested = false;
    bool focused = false;
    bool visible = true;
    XrEnvironmentBlendMode blendMode = XR_ENVIRONMENT_BLEND_MODE_OPAQUE;
    std::vector<Eye> eyes;
    GLuint framebuffer = 0;
    std::string runtime;
    std::uint64_t frames = 0;
    std::uint64_t stereoFrames = 0;
    Tracking tracking;
    XrVector3f origin = {};
    XrVector3f head = {};
    SDL_Window* window = nullptr;
    bool frameBegun = false;
    bool renderable = false;
    bool timing = false;
    FrameTiming frameTiming;
    XrTime displayTime = 0;
    std::array<XrView, 2> views = {};
    bool touchPro = false;

    XrActionSet actions = XR_NULL_HANDLE;
    XrAction aimPose = XR_NULL_HANDLE;
    XrAction trigger = XR_NULL_HANDLE;
    XrAction moveTurn = XR_NULL_HANDLE;
    XrAction use = XR_NULL_HANDLE;
    XrAction pause = XR_NULL_HANDLE;
    XrAction previousWeapon = XR_NULL_HANDLE;
    XrAction nextWeapon = XR_NULL_HANDLE;
    XrAction select = XR_NULL_HANDLE;
    XrAction feedback = XR_NULL_HANDLE;
    XrAction primaryMount = XR_NULL_HANDLE;
    XrAction secondaryMount = XR_NULL_HANDLE;
    XrAction map = XR_NULL_HANDLE;
    XrAction inventory = XR_NULL_HANDLE;
    XrAction gripPose = XR_NULL_HANDLE;
    XrAction supportHold = XR_NULL_HANDLE;
    XrAction supportClick = XR_NULL_HANDLE;
    XrPath hands[2] = {XR_NULL_PATH, XR_NULL_PATH};
    XrSpace handSpaces[2] = {XR_NULL_HANDLE, XR_NULL_HANDLE};
    XrSpace gripSpaces[2] = {XR_NULL_HANDLE, XR_NULL_HANDLE};
};

}  // namespace vant
