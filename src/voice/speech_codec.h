#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "voice/channel.h"

namespace vant::voice {

// One Opus encoder and one Opus decoder for 20 ms mono frames at 48000 Hz,
// each made on first use. Failures throw std::runtime_error and leave the
// codec usable.
class SpeechCodec {
public:
    SpeechCodec();
    ~SpeechCodec();
    SpeechCodec(SpeechCodec&&) noexcept;
    SpeechCodec& operator=(SpeechCodec&&) noexcept;
    SpeechCodec(const SpeechCodec&) = delete;
    SpeechCodec& operator=(const SpeechCodec&) = delete;

    // One packet of exactly 960 samples.
    std::vector<std::byte> encode(std::span<const float> pcm);
    // One 960-sample frame; an empty packet conceals one lost frame.
    std::array<float, frameSamples> decode(std::span<const std::byte> packet);
    // Drops both coders: the next encode or decode starts a new stream.
    void reset();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vant::voice
