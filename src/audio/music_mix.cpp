#include <cmath>

#include "audio/music.h"

namespace bastion {
namespace {

// A device frame never waits for more native frames than this: however the
// rates came to be, one buffer's work stays bounded, and stays below the
// buffer's own play time. The device runs at 48 kHz, so the fastest chip
// clock (468,750 Hz) needs 10 and loses nothing.
constexpr int kMaxNativeFramesPerDeviceFrame = 16;

}  // namespace

void Music::mix(std::span<float> out, unsigned deviceRate) {
    if (deviceRate == 0 || currentSong < 0 || out.size() < 2) return;
    const double step = sampleRate / static_cast<double>(deviceRate);
    for (std::size_t i = 0; i + 1 < out.size(); i += 2) {
        for (int made = 0; phase >= 1.0; ++made) {
            if (made == kMaxNativeFramesPerDeviceFrame) {
                phase -= std::floor(phase);  // the rest of this stretch is skipped
                break;
            }
            previous = current;
            current = sample();
            phase -= 1.0;
        }
        const float t = static_cast<float>(phase);
        out[i] += previous.left + (current.left - previous.left) * t;
        out[i + 1] += previous.right + (current.right - previous.right) * t;
        phase += step;
    }
}

}  // namespace bastion
