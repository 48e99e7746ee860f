#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "support/refusal.h"
#include "support/scoped_environment.h"
#include "support/temp_folder.h"
#include "voice/chat/chat.h"
#include "voice/playback.h"
#include "voice/relay.h"
#include "voice/tone.h"

namespace vant::voice {
namespace {

using bastion::testing_support::refusal;
using bastion::testing_support::ScopedEnvironment;
using bastion::testing_support::TempFolder;
using Clock = std::chrono::steady_clock;

// A shared output like the game audio's voice ring. It drains at the real
// output rate, or never when `draining` is false; what drained is "heard".
struct Ring {
    bool draining = true;
    std::vector<float> waiting;
    std::vector<float> heard;
    Clock::time_point drained = Clock::now();
    std::uint64_t queuedCalls = 0;

    void drain() {
        const auto now = Clock::now();
        if (!draining) return;
        const double seconds = std::chrono::duration<double>(now - drained).count();
        const auto floats = std::min(waiting.size(), static_cast<std::size_t>(seconds * 96000.0) & ~std::size_t{1});
        heard.insert(heard.end(), waiting.begin(), waiting.begin() + static_cast<std::ptrdiff_t>(floats));
        waiting.erase(waiting.begin(), waiting.begin() + static_cast<std::ptrdiff_t>(floats));
        drained = now;
    }

    Chat::Output output() {
        Chat::Output out;
        out.queuedBytes = [this] {
            ++queuedCalls;
            drain();
            return static_cast<std::uint64_t>(waiting.size() * sizeof(float));
        };
        out.queue = [this](std::span<const float> block) { waiting.insert(waiting.end(), block.begin(), block.end()); };
        out.clear = [this] { waiting.clear(); };
        return out;
    }
};

Controls radio(bool transmit) {
    Controls controls;
    controls.channel = Channel::radio;
    controls.transmit = transmit;
    return controls;
}

const std::array<Participant, 2> players{Participant{1, {0, 0, 0}, true, 7}, Participant{2, {5, 0, 5}, true, 7}};

struct Frame {
    bool active = true;
    bool micAllowed = false;
    bool transmit = false;
};

void update(Chat& chat, std::uint32_t self, Frame frame = {}, std::uint64_t session = 1) {
    chat.update(session, self, players, {0, 12, 0}, 0.0f, frame.active, frame.micAllowed, radio(frame.transmit), 1.0f);
}

// Steps until `done` holds, failing the test after five seconds.
bool until(const std::function<void()>& step, const std::function<bool()>& done) {
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline) {
        step();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

// Credentials of a relay that has gone again: nobody answers on their port.
nlohmann::json deadCredentials() {
    Relay relay("127.0.0.1", 0);
    return relay.admit(1);
}

TEST(Chat, ConfigureOutcomes) {
    const struct {
        const char* name;
        bool enabled;
        std::optional<nlohmann::json> credentials;  // nullopt: a dead relay's
        const char* lobby;
        const char* status;
    } cases[] = {
        {"disabled", false, nlohmann::json::object(), "127.0.0.1", "Voice disabled (--no-sound)"},
        {"null credentials", true, nlohmann::json(), "127.0.0.1", "Server has no voice support"},
        {"bad credentials", true, nlohmann::json::object(), "127.0.0.1", nullptr},
        {"bad lobby text", true, std::nullopt, "[::1", nullptr},
        {"connecting", true, std::nullopt, "127.0.0.1:29597", "Voice: connecting UDP"},
    };
    for (const auto& c : cases) {
        Ring ring;
        Chat chat(c.enabled, "");
        EXPECT_EQ(chat.status(), "Voice: not connected");
        chat.shareOutput(ring.output());
        chat.configure(c.lobby, c.credentials ? *c.credentials : deadCredentials());
        if (c.status != nullptr) {
            EXPECT_EQ(chat.status(), c.status) << c.name;
        } else {
            EXPECT_NE(chat.status(), "Voice: connecting UDP") << c.name;
            EXPECT_FALSE(chat.status().empty()) << c.name;
        }
        EXPECT_TRUE(chat.report()["configured"].get<bool>()) << c.name;
        EXPECT_FALSE(chat.report()["capture_open"].get<bool>()) << c.name;
    }
}

TEST(Chat, SharedOutputMustBeCompleteAndComeFirst) {
    Chat chat(true, "");
    Ring ring;
    for (int missing = 0; missing < 3; ++missing) {
        Chat::Output out = ring.output();
        if (missing == 0) out.queuedBytes = nullptr;
        if (missing == 1) out.queue = nullptr;
        if (missing == 2) out.clear = nullptr;
        EXPECT_EQ(refusal([&] { chat.shareOutput(std::move(out)); }),
                  "Set a complete shared voice output before connecting");
    }
    EXPECT_FALSE(chat.report()["output_open"].get<bool>());
    chat.shareOutput(ring.output());
    chat.configure("127.0.0.1", nlohmann::json());
    EXPECT_EQ(refusal([&] { chat.shareOutput(ring.output()); }),
              "Set a complete shared voice output before connecting");
}

TEST(Chat, UpdateDoesNothingBeforeConfigureOrWithoutOutput) {
    Ring ring;
    Chat chat(true, "");
    chat.shareOutput(ring.output());
    update(chat, 1);
    EXPECT_EQ(chat.status(), "Voice: not connected");
    EXPECT_EQ(ring.queuedCalls, 0u);

    // No shared output and null credentials: no device was opened either.
    Chat silent(true, "");
    silent.configure("127.0.0.1", nlohmann::json());
    update(silent, 1);
    EXPECT_EQ(silent.status(), "Server has no voice support");
    EXPECT_FALSE(silent.report()["output_open"].get<bool>());
}

TEST(Chat, StatusSequenceAgainstADeadAndALiveRelay) {
    Ring ring;
    Chat dead(true, "");
    dead.shareOutput(ring.output());
    dead.configure("127.0.0.1", deadCredentials());
    EXPECT_EQ(dead.status(), "Voice: connecting UDP");
    update(dead, 1);
    EXPECT_EQ(dead.status(), "Voice UDP unavailable");

    Relay relay("127.0.0.1", 0);
    Chat chat(true, "");
    chat.shareOutput(ring.output());
    chat.configure("localhost", relay.admit(1));
    chat.configure("localhost", nlohmann::json());  // a second configure changes nothing
    EXPECT_EQ(chat.status(), "Voice: connecting UDP");
    update(chat, 1);
    EXPECT_EQ(chat.status(), "Voice UDP unavailable");
    EXPECT_TRUE(until(
        [&] {
            relay.poll(players, 1);
            update(chat, 1);
        },
        [&] { return chat.status() == "Voice: listening only"; }));
    update(chat, 1, {.active = false, .micAllowed = true});
    EXPECT_EQ(chat.status(), "Voice: paused");
    update(chat, 1, {.active = false, .micAllowed = false});
    EXPECT_EQ(chat.status(), "Voice: listening only");

    chat.close();
    EXPECT_EQ(chat.status(), "Voice: disconnected");
    EXPECT_FALSE(chat.report()["configured"].get<bool>());
    chat.configure("127.0.0.1", relay.admit(1));
    EXPECT_EQ(chat.status(), "Voice: connecting UDP");
}

TEST(Chat, OutputNeverQueuesMoreThanTwoBlocks) {
    Ring ring;
    ring.draining = false;
    Chat chat(true, "");
    chat.shareOutput(ring.output());
    chat.configure("127.0.0.1", deadCredentials());
    update(chat, 1);
    EXPECT_EQ(ring.waiting.size(), 2u * Playback::blockFloats);
    for (int i = 0; i < 20; ++i) update(chat, 1);
    EXPECT_EQ(ring.waiting.size(), 2u * Playback::blockFloats);
    // Pausing voice drops what was waiting and queues nothing.
    update(chat, 1, {.active = false});
    EXPECT_TRUE(ring.waiting.empty());
    // So does a change of session, which then refills.
    update(chat, 1);
    update(chat, 2);
    EXPECT_EQ(ring.waiting.size(), 2u * Playback::blockFloats);
}

TEST(Chat, MicrophoneFailureStaysShownUntilMicAllowedChanges) {
    ScopedEnvironment driver("SDL_AUDIODRIVER", "disk");
    Relay relay("127.0.0.1", 0);
    Ring ring;
    Chat chat(true, "no such microphone");
    chat.shareOutput(ring.output());
    chat.configure("127.0.0.1", relay.admit(1));
    const Frame talking{.active = true, .micAllowed = true, .transmit = true};
    ASSERT_TRUE(until(
        [&] {
            relay.poll(players, 1);
            update(chat, 1, talking);
        },
        [&] { return chat.status() != "Voice UDP unavailable"; }));
    const std::string error = chat.status();
    EXPECT_EQ(error.rfind("Microphone unavailable: ", 0), 0u) << error;
    for (int i = 0; i < 3; ++i) update(chat, 1, talking);
    EXPECT_EQ(chat.status(), error);
    EXPECT_FALSE(chat.report()["capture_open"].get<bool>());
    update(chat, 1, {.active = true, .micAllowed = false});
    EXPECT_EQ(chat.status(), "Voice: listening only");
}

// One chat talks a 440 Hz tone read by SDL's disk driver from a file, a second
// hears it through a real relay on loopback.
TEST(Chat, ToneTravelsFromMicrophoneThroughTheRelayToTheOtherOutput) {
    TempFolder folder("voice-chat");
    const auto input = folder.path() / "microphone.raw";
    {
        const auto samples = testing::tone(440.0f, 0.5f, 48000 * 4);
        std::ofstream out(input, std::ios::binary);
        out.write(reinterpret_cast<const char*>(samples.data()),
                  static_cast<std::streamsize>(samples.size() * sizeof(float)));
    }
    ScopedEnvironment driver("SDL_AUDIODRIVER", "disk");
    ScopedEnvironment microphone("SDL_DISKAUDIOFILEIN", input.c_str());

    Relay relay("127.0.0.1", 0);
    Ring speakerRing, listenerRing;
    Chat speaker(true, "");
    Chat listener(true, "");
    speaker.shareOutput(speakerRing.output());
    listener.shareOutput(listenerRing.output());
    speaker.configure("127.0.0.1", relay.admit(1));
    listener.configure("127.0.0.1", relay.admit(2));

    std::optional<Clock::time_point> firstSent, firstHeard;
    const auto decoded = [&] { return listener.report()["playback"]["decoded"].get<std::uint64_t>(); };
    ASSERT_TRUE(until(
        [&] {
            relay.poll(players, 1);
            update(speaker, 1, {.active = true, .micAllowed = true, .transmit = true});
            update(listener, 2);
            if (!firstSent && speaker.report()["encoded"].get<std::uint64_t>() > 0) firstSent = Clock::now();
            if (!firstHeard && decoded() > 0) firstHeard = Clock::now();
        },
        [&] { return decoded() >= 40; }))
        << speaker.report().dump() << "\n"
        << listener.report().dump();

    EXPECT_TRUE(speaker.transmitting());
    EXPECT_EQ(speaker.status(), "Voice: voice activated");
    EXPECT_EQ(speaker.report()["channel"], "radio");
    EXPECT_GT(speaker.report()["voiced_frames"].get<std::uint64_t>(), 0u);
    EXPECT_GT(listener.report()["playback"]["radio_frames"].get<std::uint64_t>(), 0u);
    EXPECT_EQ(listener.report()["playback"]["discarded"].get<std::uint64_t>(), 0u);

    // The listener's output holds the tone (radio-filtered), once the codec settled.
    listenerRing.drain();
    std::vector<float> left;
    for (std::size_t i = 0; i < listenerRing.heard.size(); i += 2) left.push_back(listenerRing.heard[i]);
    ASSERT_GT(left.size(), 20u * frameSamples);
    const std::span<const float> tail(left.data() + left.size() - 16 * frameSamples, 16 * frameSamples);
    EXPECT_NEAR(testing::peakFrequency(tail), 440.0, 10.0);
    EXPECT_GT(testing::rms(tail), 0.05);

    if (firstSent && firstHeard) {
        // Not a check: the figure behind the closing note's mouth-to-ear delay.
        std::printf("send to decode on loopback: %.1f ms\n",
                    std::chrono::duration<double, std::milli>(*firstHeard - *firstSent).count());
    }
}

}  // namespace
}  // namespace vant::voice
