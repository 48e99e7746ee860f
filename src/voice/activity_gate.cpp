#include "voice/activity_gate.h"

#include <algorithm>
#include <cmath>

namespace vant::voice {

namespace {

constexpr float highPassPole = 0.9896f;
constexpr float smoothing = 0.4076f;
constexpr float openingFactor = 3.2f;
constexpr float floorLevel = 0.008f;
constexpr float closingFactor = 0.6f;
constexpr float noiseFollow = 0.04f;
constexpr int hangoverFrames = 12;

}  // namespace

bool ActivityGate::process(std::span<const float> frame) {
    double sum = 0.0;
    for (float x : frame) {
        if (!std::isfinite(x)) x = 0.0f;
        highPass = (highPass + x - previous) * highPassPole;
        previous = x;
        smoothed = smoothed + (highPass - smoothed) * smoothing;
        const float square = smoothed * smoothed;
        sum += square;
    }
    const double count = frame.empty() ? 1.0 : static_cast<double>(frame.size());
    const auto rms = static_cast<float>(std::sqrt(sum / count));

    // Closing needs less than opening, so speech does not flutter at the edge.
    const float factor = hangover > 0 ? closingFactor : 1.0f;
    const float threshold = std::max(openingFactor * noise, floorLevel) * factor;
    if (rms > threshold) {
        hangover = hangoverFrames;
        return true;
    }
    if (hangover < 1) {
        // Only frames judged silent with the gate closed teach the noise level.
        noise = noise + (rms - noise) * noiseFollow;
        return false;
    }
    hangover -= 1;
    return hangover > 0;
}

}  // namespace vant::voice
