#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <openxr/openxr.h>

struct SDL_Window;

namespace vant {

// Throws std::runtime_error "<call> (OpenXR <code>)" for a negative result;
// success codes, qualified ones included, pass.
void check(XrResult result, const char* call);

// One OpenXR session on the program's window and its current OpenGL context:
// stereo swapchains, the controller actions, the frame cycle with a per-eye
// draw callback and a desktop mirror. Main thread only.
class XR {
public:
    // The controller state of one frame; index 0 is the left hand, 1 the right.
    struct Tracking {
        XrPosef aim[2] = {};
        XrPosef grip[2] = {};
        bool aimValid[2] = {false, false};
        bool gripValid[2] = {false, false};
        bool active = false;
        bool squeeze[2] = {false, false};
        bool rightSelectOrUse = false;
        bool leftUse = false;
        bool leftTriggerTracked = false;
        bool trigger[2] = {false, false};
        bool primary[2] = {false, false};
        bool secondary[2] = {false, false};
        bool leftSqueeze = false;
        bool leftSqueezeActive = false;
        bool rightClick = false;
        bool leftClick = false;
        bool pause = false;
        bool previousWeapon = false;
        bool nextWeapon = false;
        bool map = false;
        bool inventory = false;
        XrVector2f stick[2] = {};
    };

    // Nanoseconds; the three durations are measured only when asked for.
    struct FrameTiming {
        std::int64_t predictedDisplayTime = 0;
        std::int64_t predictedDisplayPeriod = 0;
        std::int64_t waitFrameNs = 0;
        std::int64_t swapchainWaitNs = 0;
        std::int64_t endFrameNs = 0;
    };

    using DrawEye = std::function<void(const XrView& view, int eye, int width, int height)>;

    XR();
    ~XR();
    XR(const XR&) = delete;
    XR& operator=(const XR&) = delete;

    // Instance, session, swapchains, actions; throws std::runtime_error.
    void initialize(SDL_Window* window);
    std::string description() const;

    // Session events, then (while running) wait, begin, view location and
    // action sampling. False once the runtime asks the application to end.
    bool beginFrame(bool timing, bool sampleWhenHidden);
    // Draws both eyes through `draw` when the frame is shown, mirrors them
    // side by side into the window when asked, and ends the frame.
    void endFrame(const DrawEye& draw, bool mirror);

    const Tracking& tracking() const;
    bool focused() const;
    // Left eye orientation, mean eye position of the last tracked frame.
    XrPosef headPose() const;
    // The field that both eyes see.
    XrFovf hudFov() const;
    const FrameTiming& frameTiming() const;
    void setVisible(bool visible);
    void recenter();
    bool resetHeight();
    // Right-hand vibration while focused; amplitude clamped to 0..1.
    void haptic(float amplitude, int milliseconds);

    struct Impl;

private:
    void initializeActions();
    void sampleActions(XrTime time, bool sampleWhenHidden);

    std::unique_ptr<Impl> impl_;
};

}  // namespace vant
