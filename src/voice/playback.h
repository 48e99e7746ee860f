#pragma once

#include <memory>
#include <span>

#include <nlohmann/json.hpp>

#include "voice/packet.h"
#include "voice/participant.h"
#include "world/math.h"

namespace vant::voice {

// Turns received voice packets into 20 ms stereo blocks: one jitter-buffered
// stream per speaker with its own decoder and radio filter, proximity speech
// placed around the listener, radio speech centred, and click cues at the
// edges of radio transmissions. Main thread only.
class Playback {
public:
    static constexpr int blockFloats = 2 * frameSamples;

    Playback();
    ~Playback();
    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    // `now` is the arrival time in seconds of the steady clock.
    void receive(Packet packet, double now);
    // Writes exactly 960 interleaved stereo frames to `out`; `now` is the time
    // at which the block will be heard.
    void mix(float* out, bastion::Vec3 listener, float heading, double now, float gain);
    // Drops the streams of speakers that are not active participants, and the
    // sequence memory of speakers that are not participants at all.
    void retain(std::span<const Participant> participants);
    void setLocalRadio(bool on);
    // Forgets every stream, sequence memory and cue; counters stay.
    void clear();
    nlohmann::json report() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vant::voice
