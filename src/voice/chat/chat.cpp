#include "voice/chat/chat.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <deque>
#include <exception>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "net/endpoint.h"
#include "voice/activity_gate.h"
#include "voice/playback.h"
#include "voice/speech_codec.h"
#include "voice/transport.h"

namespace vant::voice {

namespace {

using Frame = std::array<float, frameSamples>;

constexpr std::uint16_t defaultVoicePort = 29497;
constexpr int frameBytes = frameSamples * static_cast<int>(sizeof(float));
constexpr std::size_t maxPreroll = 4;
constexpr std::size_t maxSendQueue = 12;
constexpr int maxFramesPerUpdate = 3;
constexpr int maxKeptCaptureChunks = 4;  // 80 ms of old microphone audio at most
constexpr std::uint64_t outputFullBytes = 2 * Playback::blockFloats * sizeof(float);
constexpr double outputBytesPerSecond = 384000.0;  // 48000 Hz stereo float

double steadySeconds() {
    return static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count()) /
           1e9;
}

}  // namespace

struct Chat::Impl {
    Transport transport;
    SpeechCodec codec;
    Playback playback;
    SDL_AudioDeviceID captureDevice = 0;
    SDL_AudioDeviceID outputDevice = 0;
    Output output;
    SDL_AudioSpec captureSpec{};
    SDL_AudioStream* captureStream = nullptr;
    bool enabled = false;
    bool configured = false;
    bool transmitting = false;
    bool audioStarted = false;
    bool captureTried = false;
    Channel channel = Channel::proximity;
    std::string deviceName;
    std::string status = "Voice: not connected";
    std::uint64_t session = 0;
    std::uint64_t encoded = 0;
    std::uint64_t droppedCaptureBytes = 0;
    bool micAllowed = true;
    bool capturing = false;
    ActivityGate gate;
    std::deque<Frame> preroll;
    std::deque<Frame> sendQueue;
    std::uint64_t voicedFrames = 0;
    std::uint64_t silentFrames = 0;

    bool sharedOutput() const { return output.queuedBytes && output.queue && output.clear; }
    bool hasOutput() const { return sharedOutput() || outputDevice != 0; }

    void startAudio() {
        if (audioStarted) return;
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) throw std::runtime_error(SDL_GetError());
        audioStarted = true;
    }

    void openOutput() {
        if (outputDevice != 0 || sharedOutput() || !enabled) return;
        startAudio();
        SDL_AudioSpec want{};
        want.freq = sampleRate;
        want.format = AUDIO_F32SYS;
        want.channels = 2;
        want.samples = frameSamples;
        outputDevice = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
        if (outputDevice == 0) throw std::runtime_error(std::string("Voice playback: ") + SDL_GetError());
        SDL_PauseAudioDevice(outputDevice, 0);
    }

    void openCapture() {
        if (captureDevice != 0 || !enabled || captureTried) return;
        captureTried = true;
        startAudio();
        // SDL's dummy driver claims a capture device but reads past its own
        // buffer when one is opened.
        const char* driver = SDL_GetCurrentAudioDriver();
        if (driver != nullptr && std::string_view(driver) == "dummy")
            throw std::runtime_error("Microphone unavailable: no capture with the dummy audio driver");
        SDL_AudioSpec want{};
        want.freq = sampleRate;
        want.format = AUDIO_F32SYS;
        want.channels = 1;
        want.samples = frameSamples;
        captureDevice = SDL_OpenAudioDevice(deviceName.empty() ? nullptr : deviceName.c_str(), 1, &want,
                                            &captureSpec, SDL_AUDIO_ALLOW_ANY_CHANGE);
        if (captureDevice == 0) throw std::runtime_error(std::string("Microphone unavailable: ") + SDL_GetError());
        captureStream = SDL_NewAudioStream(captureSpec.format, captureSpec.channels, captureSpec.freq, AUDIO_F32SYS,
                                           1, sampleRate);
        if (captureStream == nullptr) {
            const std::string error = SDL_GetError();
            SDL_CloseAudioDevice(captureDevice);
            captureDevice = 0;
            throw std::runtime_error(error);
        }
    }

    void stopCapture(bool close) {
        if (captureDevice != 0) {
            SDL_PauseAudioDevice(captureDevice, 1);
            SDL_ClearQueuedAudio(captureDevice);
        }
        if (captureStream != nullptr) SDL_AudioStreamClear(captureStream);
        capturing = false;
        transmitting = false;
        gate = ActivityGate{};
        preroll.clear();
        sendQueue.clear();
        if (close) {
            if (captureDevice != 0) SDL_CloseAudioDevice(captureDevice);
            if (captureStream != nullptr) SDL_FreeAudioStream(captureStream);
            captureDevice = 0;
            captureStream = nullptr;
            captureTried = false;
        }
    }

    void clearOutput() {
        if (sharedOutput()) {
            output.clear();
        } else if (outputDevice != 0) {
            SDL_ClearQueuedAudio(outputDevice);
        }
    }

    std::uint32_t captureChunkBytes() const {
        const int frames = std::max(captureSpec.freq / 50, 1);
        return static_cast<std::uint32_t>(frames * (SDL_AUDIO_BITSIZE(captureSpec.format) / 8) *
                                          captureSpec.channels);
    }

    void capture() {
        const std::uint32_t chunk = captureChunkBytes();
        std::vector<std::uint8_t> buffer(chunk);
        while (SDL_GetQueuedAudioSize(captureDevice) > maxKeptCaptureChunks * chunk) {
            droppedCaptureBytes += SDL_DequeueAudio(captureDevice, buffer.data(), chunk);
        }
        const auto began = std::chrono::steady_clock::now();
        for (int i = 0; i < maxFramesPerUpdate; ++i) {
            if (i > 0 && std::chrono::steady_clock::now() - began > std::chrono::milliseconds(1)) break;
            if (SDL_AudioStreamAvailable(captureStream) < frameBytes) {
                const std::uint32_t got = SDL_DequeueAudio(captureDevice, buffer.data(), chunk);
                if (got > 0 && SDL_AudioStreamPut(captureStream, buffer.data(), static_cast<int>(got)) != 0) {
                    throw std::runtime_error(SDL_GetError());
                }
                if (SDL_AudioStreamAvailable(captureStream) < frameBytes) break;
            }
            Frame frame;
            if (SDL_AudioStreamGet(captureStream, frame.data(), frameBytes) != frameBytes) break;
            gateFrame(frame);
        }
        for (int i = 0; i < maxFramesPerUpdate && !sendQueue.empty(); ++i) {
            const std::vector<std::byte> packet = codec.encode(sendQueue.front());
            sendQueue.pop_front();
            if (transport.send(channel, session, packet)) ++encoded;
        }
    }

    void gateFrame(const Frame& frame) {
        if (gate.process(frame)) {
            ++voicedFrames;
            // The words' first syllable came before the gate opened.
            if (!transmitting) {
                sendQueue.insert(sendQueue.end(), preroll.begin(), preroll.end());
                preroll.clear();
            }
            sendQueue.push_back(frame);
            transmitting = true;
        } else {
            ++silentFrames;
            preroll.push_back(frame);
            while (preroll.size() > maxPreroll) preroll.pop_front();
            transmitting = false;
        }
        while (sendQueue.size() > maxSendQueue) sendQueue.pop_front();
    }

    void fillOutput(bastion::Vec3 listener, float heading, double now, float gain) {
        std::array<float, Playback::blockFloats> block;
        for (int i = 0; i < maxFramesPerUpdate; ++i) {
            const std::uint64_t queued =
                sharedOutput() ? output.queuedBytes() : SDL_GetQueuedAudioSize(outputDevice);
            if (queued >= outputFullBytes) break;
            block.fill(0.0f);
            playback.mix(block.data(), listener, heading, now + static_cast<double>(queued) / outputBytesPerSecond,
                         gain);
            if (sharedOutput()) {
                output.queue(block);
            } else {
                SDL_QueueAudio(outputDevice, block.data(), static_cast<std::uint32_t>(sizeof block));
            }
        }
    }

    void run(std::uint64_t newSession, std::uint32_t self, std::span<const Participant> participants,
             bastion::Vec3 listener, float heading, bool active, bool allowed, const Controls& controls,
             float gain) {
        if (newSession != session) {
            session = newSession;
            playback.clear();
            stopCapture(false);
            codec.reset();
            clearOutput();
        }
        if (allowed != micAllowed) {
            captureTried = false;  // a microphone that failed is tried again
            micAllowed = allowed;
        }
        const double now = steadySeconds();
        std::vector<Packet> packets = transport.poll(session);
        if (!active) {
            stopCapture(!micAllowed);
            playback.clear();
            clearOutput();
            status = micAllowed ? "Voice: paused" : "Voice: listening only";
            return;
        }
        playback.retain(participants);
        for (Packet& packet : packets) {
            const bool heard = packet.speaker != self &&
                               std::any_of(participants.begin(), participants.end(), [&](const Participant& p) {
                                   return p.active && p.id == packet.speaker;
                               });
            if (heard) playback.receive(std::move(packet), now);
        }
        if (micAllowed && controls.transmit && transport.ready()) {
            try {
                openCapture();
                if (captureDevice != 0 && !(capturing && channel == controls.channel)) {
                    stopCapture(false);
                    codec.reset();
                    channel = controls.channel;
                    SDL_PauseAudioDevice(captureDevice, 0);
                    capturing = true;
                }
                if (capturing) capture();
            } catch (const std::exception& error) {
                stopCapture(false);
                status = error.what();
            }
        } else {
            stopCapture(!micAllowed);
        }
        playback.setLocalRadio(capturing && channel == Channel::radio);
        fillOutput(listener, heading, now, gain);
        if (captureTried && captureDevice == 0) return;  // the microphone's error stays shown
        if (!transport.ready()) {
            status = "Voice UDP unavailable";
        } else {
            status = micAllowed ? "Voice: voice activated" : "Voice: listening only";
        }
    }
};

Chat::Chat(bool enabled, const std::string& captureDevice) : impl_(std::make_unique<Impl>()) {
    impl_->enabled = enabled;
    impl_->deviceName = captureDevice;
}

Chat::~Chat() {
    Impl& s = *impl_;
    if (s.captureDevice != 0) SDL_CloseAudioDevice(s.captureDevice);
    if (s.outputDevice != 0) SDL_CloseAudioDevice(s.outputDevice);
    if (s.captureStream != nullptr) SDL_FreeAudioStream(s.captureStream);
    if (s.audioStarted) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void Chat::shareOutput(Output output) {
    if (impl_->configured || !output.queuedBytes || !output.queue || !output.clear) {
        throw std::logic_error("Set a complete shared voice output before connecting");
    }
    impl_->output = std::move(output);
}

void Chat::configure(const std::string& lobbyServer, const nlohmann::json& credentials) {
    Impl& s = *impl_;
    if (s.configured) return;
    s.configured = true;
    if (!s.enabled) {
        s.status = "Voice disabled (--no-sound)";
        return;
    }
    if (credentials.is_null()) {
        s.status = "Server has no voice support";
        return;
    }
    try {
        // The relay's port comes from the credentials; only the host is the lobby's.
        const std::string host = net::parseEndpoint(lobbyServer, defaultVoicePort).host;
        s.transport.connect(host, credentials);
        s.openOutput();
        s.status = "Voice: connecting UDP";
    } catch (const std::exception& error) {
        s.status = error.what();
    }
}

void Chat::update(std::uint64_t session, std::uint32_t self, std::span<const Participant> participants,
                  bastion::Vec3 listener, float heading, bool active, bool micAllowed, const Controls& controls,
                  float gain) {
    Impl& s = *impl_;
    if (!s.configured || !s.enabled || !s.hasOutput()) return;
    try {
        s.run(session, self, participants, listener, heading, active, micAllowed, controls, gain);
    } catch (const std::exception& error) {
        s.status = error.what();
    }
}

void Chat::close() {
    Impl& s = *impl_;
    s.stopCapture(true);
    s.playback.clear();
    s.transport.close();
    s.clearOutput();
    s.configured = false;
    s.status = "Voice: disconnected";
}

bool Chat::transmitting() const { return impl_->transmitting; }

std::string Chat::status() const { return impl_->status; }

nlohmann::json Chat::report() const {
    const Impl& s = *impl_;
    return {
        {"configured", s.configured},
        {"capture_open", s.captureDevice != 0},
        {"output_open", s.hasOutput()},
        {"shared_output", s.sharedOutput()},
        {"transmitting", s.transmitting},
        {"channel", s.channel == Channel::radio ? "radio" : "proximity"},
        {"encoded", s.encoded},
        {"capturing", s.capturing},
        {"voiced_frames", s.voicedFrames},
        {"silent_frames", s.silentFrames},
        {"dropped_capture_bytes", s.droppedCaptureBytes},
        {"status", s.status},
        {"transport", s.transport.report()},
        {"playback", s.playback.report()},
    };
}

}  // namespace vant::voice
