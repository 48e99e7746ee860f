#pragma once

#include <span>

namespace vant::voice {

// Decides which microphone frames are speech. Opens above a level tracked
// from the background noise and holds open for a hangover of frames.
struct ActivityGate {
    float noise = 0.0006f;  // tracked noise level, RMS
    float previous = 0.0f;  // previous input sample
    float highPass = 0.0f;
    float smoothed = 0.0f;
    int hangover = 0;  // frames the gate still stays open

    // True when the frame should be sent. Non-finite samples count as silence.
    bool process(std::span<const float> frame);
};

}  // namespace vant::voice
