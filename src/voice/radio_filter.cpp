#include "voice/internal/radio_filter.h"

#include <cmath>

namespace vant::voice {

namespace {

// tanh(1.8): dividing by it keeps a full-scale input at full scale.
constexpr float saturationScale = 0.946806f;
constexpr float drive = 1.8f;
constexpr float fourDecibels = 1.5848932f;

}  // namespace

float RadioFilter::Biquad::sample(float x) {
    const float y = b0 * x + z1;
    z1 = b1 * x - a1 * y + z2;
    z2 = b2 * x - a2 * y;
    return y;
}

RadioFilter::RadioFilter()
    : highPass{0.970815122f, -1.94163024f, 0.970815122f, -1.94077826f, 0.942482054f},
      lowPass{0.0392792262f, 0.0785584524f, 0.0392792262f, -1.36640787f, 0.523524761f} {}

float RadioFilter::sample(float x) {
    const float h = highPass.sample(x);
    const float d = std::tanh(drive * h) / saturationScale * fourDecibels;
    return lowPass.sample(d);
}

}  // namespace vant::voice
