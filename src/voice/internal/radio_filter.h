#pragma once

namespace vant::voice {

// Band-limits and gently overdrives radio speech.
struct RadioFilter {
    // One second-order section, transposed direct form II, a0 = 1.
    struct Biquad {
        float b0 = 0.0f, b1 = 0.0f, b2 = 0.0f;
        float a1 = 0.0f, a2 = 0.0f;
        float z1 = 0.0f, z2 = 0.0f;

        float sample(float x);
    };

    Biquad highPass;  // 320 Hz Butterworth
    Biquad lowPass;   // 3500 Hz Butterworth

    RadioFilter();
    float sample(float x);
};

}  // namespace vant::voice
