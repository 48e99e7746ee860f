#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include <nlohmann/json.hpp>

#include "voice/controls.h"
#include "voice/participant.h"
#include "world/math.h"

namespace vant::voice {

// The client half of the radio voice chat: captures the microphone through
// SDL, gates and encodes it, sends it to the voice relay, and keeps a voice
// output filled with the mixed voices it receives. Main thread only; its
// per-frame update turns every failure into the status text.
class Chat {
public:
    // The game audio's voice ring, which the chat shares instead of opening
    // a playback device of its own.
    struct Output {
        std::function<std::uint64_t()> queuedBytes;
        std::function<void(std::span<const float>)> queue;
        std::function<void()> clear;

        Output() = default;
        Output(Output&&) = default;
        Output& operator=(Output&&) = default;
        Output(const Output&) = delete;
        Output& operator=(const Output&) = delete;
    };

    Chat(bool enabled, const std::string& captureDevice);
    ~Chat();
    Chat(const Chat&) = delete;
    Chat& operator=(const Chat&) = delete;

    // Throws std::logic_error once configured or with any callback empty.
    void shareOutput(Output output);
    // Connects to the relay at the lobby server's host; runs once until close.
    void configure(const std::string& lobbyServer, const nlohmann::json& credentials);
    void update(std::uint64_t session, std::uint32_t self, std::span<const Participant> participants,
                bastion::Vec3 listener, float heading, bool active, bool micAllowed, const Controls& controls,
                float gain);
    void close();

    bool transmitting() const;
    std::string status() const;
    nlohmann::json report() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vant::voice
