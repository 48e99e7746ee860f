#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "coop/client.h"
#include "voice/transport.h"

namespace bastion::coopbots {

using Clock = std::chrono::steady_clock;

// What one bot saw. Snapshot and voice counts cover the measured window only.
struct BotStats {
    std::uint64_t frames = 0;
    std::uint64_t snapshots = 0;      // distinct snapshot ticks seen
    std::uint64_t nominalGaps = 0;    // consecutive snapshots three ticks apart
    std::uint64_t longGaps = 0;       // further apart: snapshots lost or late
    std::uint64_t longestGap = 0;     // in server ticks
    std::vector<double> latencyMs;    // fire press to the shot in a snapshot
    std::uint64_t unanswered = 0;     // presses no snapshot showed within 3 s
    std::uint64_t voiceSent = 0;
    std::uint64_t voiceExpected = 0;  // forwards the relay owes for what was sent
    std::uint64_t voiceReceived = 0;
    bool lost = false;                // the client reported its connection lost
    std::string status;               // its status text then
    std::uint32_t disconnectData = 0;
    std::map<std::string, std::uint64_t> errors;  // refusals and exceptions by text
    Clock::time_point lastSnapshot{};
};

// One scripted player: the game's lobby client and its voice transport, fed
// random input. The host sets the room to normal difficulty, selects a
// mission once the room is full and restarts it when it ends; everyone readies
// up; in the mission every bot speaks on the radio without pause and now and
// then presses fire to time how long the shot takes to show.
class Bot {
public:
    // `voicePort` replaces the relay port of the credentials (a proxy's port);
    // 0 keeps it.
    Bot(const std::string& server, bool host, const std::string& code, std::uint16_t voicePort, std::uint32_t seed,
        const std::string& name);

    // One frame. Voice goes out and the window's counts grow only while
    // `measuring`; voice still arriving is counted while `draining`.
    void frame(Clock::time_point now, bool measuring, bool draining = false);

    const coop::Client& client() const { return *client_; }
    int phase() const { return client_->phase(); }
    std::size_t members() const;

    BotStats stats;
    std::size_t roomSize = 4;

private:
    void script(Clock::time_point now);
    void track(Clock::time_point now, bool measuring);
    void speak(Clock::time_point now);
    void chooseInput(Clock::time_point now);
    double shots() const;

    std::unique_ptr<coop::Client> client_;
    vant::voice::Transport voice_;
    bool voiceConnected_ = false;
    std::uint16_t voicePort_;
    bool host_;
    std::mt19937 random_;
    Input input_;
    Clock::time_point last_{};
    Clock::time_point joined_{};
    Clock::time_point nextCommand_{};
    Clock::time_point nextAxes_{};
    Clock::time_point nextProbe_{};
    Clock::time_point probeAt_{};
    bool probing_ = false;
    double probeShots_ = 0.0;
    bool difficultySent_ = false;
    bool awaiting_ = false;  // a command is out and the room has not changed since
    std::uint64_t commandRevision_ = 0;
    Clock::time_point commandAt_{};
    Clock::time_point nextVoice_{};
    std::uint64_t lastTick_ = 0;
    bool tickInWindow_ = false;
};

}  // namespace bastion::coopbots
