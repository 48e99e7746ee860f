#include "voice/playback.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <exception>
#include <map>
#include <numbers>
#include <vector>

#include "voice/internal/opus_packet.h"
#include "voice/internal/radio_filter.h"
#include "voice/speech_codec.h"

namespace vant::voice {

namespace {

constexpr std::size_t maxStreams = 32;
constexpr std::size_t maxBuffered = 16;
constexpr std::size_t maxCues = 8;
constexpr std::uint32_t maxMissesBeforeSkip = 3;
constexpr std::uint32_t behindWindow = 32;
constexpr std::uint32_t aheadRestart = 50;
constexpr double startDelay = 0.06;
constexpr double silenceEnd = 0.16;
constexpr std::uint32_t cueSamples = 5760;  // 0.12 s
constexpr float centreWeight = 0.70710677f;

}  // namespace

struct Playback::Impl {
    struct Stream {
        SpeechCodec decoder;
        RadioFilter filter;
        std::map<std::uint32_t, Packet> buffer;
        std::uint32_t newest = 0;
        std::uint32_t next = 0;
        Channel channel = Channel::proximity;
        bastion::Vec3 position;
        double start = 0.0;
        double lastHeard = 0.0;
        std::uint32_t misses = 0;
        bool started = false;
    };

    struct Cue {
        std::uint32_t remaining = cueSamples;
        bool end = false;
        std::uint32_t noise = 4242;
    };

    std::map<std::uint32_t, std::unique_ptr<Stream>> streams;
    std::map<std::uint32_t, std::uint32_t> highest;
    std::uint64_t received = 0;
    std::uint64_t decoded = 0;
    std::uint64_t concealed = 0;
    std::uint64_t discarded = 0;
    std::uint64_t radioFrames = 0;
    std::uint64_t proximityFrames = 0;
    std::vector<Cue> cues;
    bool localRadio = false;
    std::uint64_t localRadioEngages = 0;
    std::uint64_t localRadioDisengages = 0;

    void cue(bool end) {
        if (cues.size() < maxCues) cues.push_back(Cue{cueSamples, end, 4242});
    }

    // Makes a fresh stream for the packet's speaker; false when no room is left.
    bool startStream(const Packet& packet, double now) {
        if (streams.size() >= maxStreams) return false;
        auto stream = std::make_unique<Stream>();
        stream->channel = packet.channel;
        stream->start = now + startDelay;
        streams[packet.speaker] = std::move(stream);
        if (packet.channel == Channel::radio) cue(false);
        return true;
    }

    bool admit(Stream& stream, Packet&& packet, double now) {
        const std::uint32_t sequence = packet.sequence;
        if (stream.started && sequence < stream.next) return false;
        if (stream.buffer.contains(sequence)) return false;
        if (stream.newest >= sequence && stream.newest - sequence >= behindWindow) return false;
        if (stream.buffer.size() >= maxBuffered) return false;
        stream.newest = std::max(stream.newest, sequence);
        std::uint32_t& best = highest[packet.speaker];
        best = std::max(best, sequence);
        stream.lastHeard = now;
        stream.position = packet.position;
        stream.buffer.emplace(sequence, std::move(packet));
        ++received;
        return true;
    }

    // The stream's next frame, or nothing when it gives no output this block.
    bool nextFrame(Stream& stream, std::array<float, frameSamples>& frame) {
        frame.fill(0.0f);
        if (const auto it = stream.buffer.find(stream.next); it != stream.buffer.end()) {
            stream.misses = 0;
            try {
                frame = stream.decoder.decode(it->second.opus);
                ++decoded;
            } catch (const std::exception&) {
                ++discarded;
                frame.fill(0.0f);
            }
            stream.buffer.erase(it);
            return true;
        }
        if (stream.buffer.empty()) return false;
        const std::uint32_t missed = stream.misses++;
        if (missed >= maxMissesBeforeSkip) {
            stream.next = stream.buffer.begin()->first;
            return false;
        }
        try {
            frame = stream.decoder.decode({});
            ++concealed;
        } catch (const std::exception&) {
            ++discarded;
            frame.fill(0.0f);
        }
        return true;
    }

    void mixStream(Stream& stream, std::array<float, frameSamples>& frame, float* out, bastion::Vec3 listener,
                   float heading, float g) {
        float left = centreWeight;
        float right = centreWeight;
        if (stream.channel == Channel::radio) {
            for (float& s : frame) s = stream.filter.sample(s);
            ++radioFrames;
        } else {
            const float dx = stream.position.x - listener.x;
            const float dz = stream.position.z - listener.z;
            const float d = std::hypot(dx, dz);
            float p = 0.0f;
            if (d > 0.001f) {
                p = std::clamp((dx * std::cos(heading) + dz * std::sin(heading)) / d, -1.0f, 1.0f);
            }
            const float level = std::max(0.0f, 1.0f - d * d / 3600.0f) * 8.0f / std::max(d, 8.0f);
            left = std::sqrt((1.0f - p) / 2.0f) * level;
            right = std::sqrt((1.0f + p) / 2.0f) * level;
            ++proximityFrames;
        }
        for (int k = 0; k < frameSamples; ++k) {
            out[2 * k] += frame[k] * left * g;
            out[2 * k + 1] += frame[k] * right * g;
        }
    }

    void mixCues(float* out, float g) {
        for (Cue& c : cues) {
            const std::uint32_t elapsed = cueSamples - c.remaining;
            const double frequency = c.end ? 740.0 : 1120.0;
            for (int k = 0; k < frameSamples && c.remaining > 0; ++k) {
                const double t = static_cast<double>(elapsed + k) / sampleRate;
                c.noise = c.noise * 1664525u + 1013904223u;
                const double n = static_cast<double>(c.noise >> 8) / 16777215.0 - 0.5;
                const double s = 0.16 * std::sin(2.0 * std::numbers::pi * frequency * t) + 0.16 * n;
                const double v = std::min(1.0, t / 0.005) * s * std::max(0.0, 1.0 - t / 0.12) * g;
                out[2 * k] += static_cast<float>(v);
                out[2 * k + 1] += static_cast<float>(v);
                --c.remaining;
            }
        }
        std::erase_if(cues, [](const Cue& c) { return c.remaining == 0; });
    }
};

Playback::Playback() : impl_(std::make_unique<Impl>()) {}
Playback::~Playback() = default;

void Playback::receive(Packet packet, double now) {
    Impl& s = *impl_;
    const bool wellFormed = packet.speaker != 0 && packet.sequence != 0 &&
                            static_cast<std::uint8_t>(packet.channel) <= 1 && validOpus(packet.opus) &&
                            std::isfinite(now) && std::isfinite(packet.position.x) &&
                            std::isfinite(packet.position.z);
    if (!wellFormed) {
        ++s.discarded;
        return;
    }
    Impl::Stream* stream = nullptr;
    const auto found = s.streams.find(packet.speaker);
    if (found == s.streams.end()) {
        // Late packets of an ended stream must not start a new one.
        if (packet.sequence <= s.highest[packet.speaker]) {
            ++s.discarded;
            return;
        }
    } else {
        Impl::Stream& current = *found->second;
        bool restart = false;
        if (packet.channel != current.channel) {
            if (packet.sequence <= current.newest) {
                ++s.discarded;
                return;
            }
            restart = true;
        } else {
            restart = now - current.lastHeard > silenceEnd ||
                      packet.sequence > static_cast<std::uint64_t>(current.newest) + aheadRestart;
        }
        if (restart) {
            if (current.channel == Channel::radio) s.cue(true);
            s.streams.erase(found);
        } else {
            stream = &current;
        }
    }
    if (stream == nullptr) {
        if (!s.startStream(packet, now)) {
            ++s.discarded;
            return;
        }
        stream = s.streams[packet.speaker].get();
    }
    if (!s.admit(*stream, std::move(packet), now)) ++s.discarded;
}

void Playback::mix(float* out, bastion::Vec3 listener, float heading, double now, float gain) {
    Impl& s = *impl_;
    std::fill(out, out + blockFloats, 0.0f);
    const float g = std::isfinite(gain) ? std::clamp(gain, 0.0f, 1.0f) : 0.0f;
    std::array<float, frameSamples> frame;
    for (auto it = s.streams.begin(); it != s.streams.end();) {
        Impl::Stream& stream = *it->second;
        if (now - stream.lastHeard > silenceEnd) {
            if (stream.channel == Channel::radio) s.cue(true);
            it = s.streams.erase(it);
            continue;
        }
        ++it;
        if (now < stream.start) continue;
        if (!stream.started) {
            if (stream.buffer.empty()) continue;
            stream.next = stream.buffer.begin()->first;
            stream.started = true;
        }
        if (!s.nextFrame(stream, frame)) continue;
        ++stream.next;
        s.mixStream(stream, frame, out, listener, heading, g);
    }
    s.mixCues(out, g);
    for (int k = 0; k < blockFloats; ++k) out[k] = std::clamp(out[k], -1.0f, 1.0f);
}

void Playback::retain(std::span<const Participant> participants) {
    Impl& s = *impl_;
    const auto isParticipant = [&](std::uint32_t id, bool needActive) {
        return std::any_of(participants.begin(), participants.end(), [&](const Participant& p) {
            return p.id == id && (p.active || !needActive);
        });
    };
    std::erase_if(s.streams, [&](const auto& entry) { return !isParticipant(entry.first, true); });
    std::erase_if(s.highest, [&](const auto& entry) { return !isParticipant(entry.first, false); });
}

void Playback::setLocalRadio(bool on) {
    Impl& s = *impl_;
    if (on == s.localRadio) return;
    s.localRadio = on;
    ++(on ? s.localRadioEngages : s.localRadioDisengages);
    s.cue(!on);
}

void Playback::clear() {
    Impl& s = *impl_;
    s.streams.clear();
    s.highest.clear();
    s.cues.clear();
    s.localRadio = false;
}

nlohmann::json Playback::report() const {
    const Impl& s = *impl_;
    return {
        {"received", s.received},
        {"decoded", s.decoded},
        {"concealed", s.concealed},
        {"discarded", s.discarded},
        {"radio_frames", s.radioFrames},
        {"proximity_frames", s.proximityFrames},
        {"streams", s.streams.size()},
        {"local_radio_engaged", s.localRadio},
        {"local_radio_engages", s.localRadioEngages},
        {"local_radio_disengages", s.localRadioDisengages},
    };
}

}  // namespace vant::voice
