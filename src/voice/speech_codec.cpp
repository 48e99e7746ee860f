#include "voice/speech_codec.h"

#include <stdexcept>

#include <opus.h>

#include "voice/internal/opus_packet.h"

namespace vant::voice {

namespace {

constexpr opus_int32 bitrate = 24000;
constexpr int complexity = 5;

}  // namespace

struct SpeechCodec::Impl {
    OpusEncoder* encoder = nullptr;
    OpusDecoder* decoder = nullptr;

    Impl() = default;
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    ~Impl() {
        if (encoder != nullptr) opus_encoder_destroy(encoder);
        if (decoder != nullptr) opus_decoder_destroy(decoder);
    }

    OpusEncoder& encoderInUse() {
        if (encoder != nullptr) return *encoder;
        int error = OPUS_OK;
        OpusEncoder* made = opus_encoder_create(sampleRate, 1, OPUS_APPLICATION_VOIP, &error);
        if (error != OPUS_OK || made == nullptr) {
            if (made != nullptr) opus_encoder_destroy(made);
            throw std::runtime_error("Opus encoder unavailable");
        }
        opus_encoder_ctl(made, OPUS_SET_BITRATE(bitrate));
        opus_encoder_ctl(made, OPUS_SET_COMPLEXITY(complexity));
        opus_encoder_ctl(made, OPUS_SET_SIGNAL(OPUS_SIGNAL_VOICE));
        opus_encoder_ctl(made, OPUS_SET_DTX(0));
        encoder = made;
        return *encoder;
    }

    OpusDecoder& decoderInUse() {
        if (decoder != nullptr) return *decoder;
        int error = OPUS_OK;
        OpusDecoder* made = opus_decoder_create(sampleRate, 1, &error);
        if (error != OPUS_OK || made == nullptr) {
            if (made != nullptr) opus_decoder_destroy(made);
            throw std::runtime_error("Opus decoder unavailable");
        }
        decoder = made;
        return *decoder;
    }
};

SpeechCodec::SpeechCodec() : impl_(std::make_unique<Impl>()) {}
SpeechCodec::~SpeechCodec() = default;
SpeechCodec::SpeechCodec(SpeechCodec&&) noexcept = default;
SpeechCodec& SpeechCodec::operator=(SpeechCodec&&) noexcept = default;

std::vector<std::byte> SpeechCodec::encode(std::span<const float> pcm) {
    if (pcm.size() != frameSamples) throw std::runtime_error("Voice capture must contain 20 ms mono");
    if (!impl_) impl_ = std::make_unique<Impl>();
    OpusEncoder& encoder = impl_->encoderInUse();
    std::vector<std::byte> packet(maxOpusBytes);
    const opus_int32 size = opus_encode_float(&encoder, pcm.data(), frameSamples,
                                              reinterpret_cast<unsigned char*>(packet.data()),
                                              static_cast<opus_int32>(packet.size()));
    if (size < 0) throw std::runtime_error("Opus encode failed");
    packet.resize(static_cast<std::size_t>(size));
    if (!validOpus(packet)) throw std::runtime_error("Unexpected Opus frame configuration");
    return packet;
}

std::array<float, frameSamples> SpeechCodec::decode(std::span<const std::byte> packet) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(packet.data());
    if (!packet.empty() &&
        (!validOpus(packet) ||
         opus_packet_get_nb_samples(bytes, static_cast<opus_int32>(packet.size()), sampleRate) != frameSamples)) {
        throw std::runtime_error("Invalid 20 ms voice packet");
    }
    if (!impl_) impl_ = std::make_unique<Impl>();
    OpusDecoder& decoder = impl_->decoderInUse();
    std::array<float, frameSamples> frame{};
    const int decoded = opus_decode_float(&decoder, packet.empty() ? nullptr : bytes,
                                          static_cast<opus_int32>(packet.size()), frame.data(), frameSamples, 0);
    if (decoded != frameSamples) throw std::runtime_error("Opus decode failed");
    return frame;
}

void SpeechCodec::reset() { impl_ = std::make_unique<Impl>(); }

}  // namespace vant::voice
