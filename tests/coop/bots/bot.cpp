#include "coop/bots/bot.h"

#include <algorithm>
#include <exception>

namespace bastion::coopbots {
namespace {

using nlohmann::json;

constexpr auto kCommandPause = std::chrono::milliseconds(200);
constexpr auto kCommandWait = std::chrono::seconds(3);
constexpr auto kVoiceFrame = std::chrono::milliseconds(20);
constexpr auto kProbeTimeout = std::chrono::seconds(3);
constexpr auto kWaitForFullRoom = std::chrono::seconds(20);
constexpr std::uint64_t kSnapshotTicks = 3;
constexpr int kMission = 2;
constexpr int kRifleMount = 1;

// A hybrid full-band 20 ms mono frame header and a frame's worth of bytes at
// the voice bit rate: what the relay checks, without an encoder per bot.
const std::vector<std::byte>& voiceFrame() {
    static const std::vector<std::byte> frame = [] {
        std::vector<std::byte> bytes(61, std::byte{0x5A});
        bytes[0] = std::byte{0x78};
        return bytes;
    }();
    return frame;
}

}  // namespace

Bot::Bot(const std::string& server, bool host, const std::string& code, std::uint16_t voicePort, std::uint32_t seed,
         const std::string& name)
    : client_(std::make_unique<coop::Client>(server, host, Progression{}, name, code)),
      voicePort_(voicePort),
      host_(host),
      random_(seed) {}

std::size_t Bot::members() const {
    const json& state = client_->state;
    if (!state.is_object() || !state.contains("players")) return 0;
    return state["players"].size();
}

double Bot::shots() const {
    const json* own = client_->local();
    if (own == nullptr) return 0.0;
    const json& list = own->at("pilot").at("shots");
    return list.size() > kRifleMount ? list[kRifleMount].get<double>() : 0.0;
}

void Bot::frame(Clock::time_point now, bool measuring, bool draining) {
    if (last_ == Clock::time_point{}) last_ = joined_ = now;
    const float dt = std::min(std::chrono::duration<float>(now - last_).count(), 0.1f);
    last_ = now;
    if (measuring) ++stats.frames;
    try {
        chooseInput(now);
        client_->update(dt, &input_);
        input_.fire[kRifleMount] = false;
        coop::Client& client = *client_;
        if (!client.message.empty()) {
            if (!client.connected && !stats.lost) {
                stats.lost = true;
                stats.status = client.message;
                stats.disconnectData = client.disconnectData;
            } else if (client.connected) {
                ++stats.errors[client.message];
            }
            client.message.clear();
        }
        if (!voiceConnected_ && client.voice.is_object()) {
            json credentials = client.voice;
            if (voicePort_ != 0) credentials["port"] = voicePort_;
            voice_.connect("127.0.0.1", credentials);
            voiceConnected_ = true;
        }
        const auto packets = voice_.poll(1);
        if (measuring || draining) stats.voiceReceived += packets.size();
        track(now, measuring);
        if (client.connected) script(now);
        if (measuring) speak(now);
    } catch (const std::exception& failure) {
        ++stats.errors[std::string("exception: ") + failure.what()];
    }
}

void Bot::chooseInput(Clock::time_point now) {
    if (now >= nextAxes_) {
        std::uniform_real_distribution<float> axis(-1.0f, 1.0f);
        for (float& a : input_.axes) a = axis(random_);
        for (int mount = 2; mount < 6; ++mount) input_.fire[mount] = std::uniform_int_distribution<int>(0, 9)(random_) == 0;
        nextAxes_ = now + std::chrono::milliseconds(std::uniform_int_distribution<int>(300, 1200)(random_));
    }
    const json* own = client_->local();
    if (probing_ || phase() != 2 || own == nullptr || own->at("pilot").value("dead", false) || now < nextProbe_)
        return;
    input_.fire[kRifleMount] = true;
    probing_ = true;
    probeAt_ = now;
    probeShots_ = shots();
}

void Bot::track(Clock::time_point now, bool measuring) {
    const json& state = client_->state;
    if (probing_) {
        if (shots() > probeShots_) {
            if (measuring) stats.latencyMs.push_back(std::chrono::duration<double, std::milli>(now - probeAt_).count());
            probing_ = false;
        } else if (now - probeAt_ > kProbeTimeout) {
            if (measuring) ++stats.unanswered;
            probing_ = false;
        }
        if (!probing_)
            nextProbe_ = now + std::chrono::milliseconds(std::uniform_int_distribution<int>(700, 1500)(random_));
    }
    if (!state.is_object() || !state.contains("tick")) return;
    const auto tick = state["tick"].get<std::uint64_t>();
    if (tick == lastTick_) return;
    stats.lastSnapshot = now;
    if (measuring) {
        ++stats.snapshots;
        if (tickInWindow_ && tick > lastTick_) {
            const std::uint64_t gap = tick - lastTick_;
            if (gap == kSnapshotTicks) {
                ++stats.nominalGaps;
            } else {
                ++stats.longGaps;
            }
            stats.longestGap = std::max(stats.longestGap, gap);
        }
    }
    tickInWindow_ = measuring;
    lastTick_ = tick;
}

void Bot::script(Clock::time_point now) {
    // One command at a time: a second "select" sent before the first one's
    // state arrives would void the others' "ready".
    if (awaiting_ && client_->revision == commandRevision_ && now - commandAt_ < kCommandWait) return;
    awaiting_ = false;
    if (now < nextCommand_) return;
    const int current = phase();
    if (host_ && current == 0 && !client_->code.empty()) {
        if (!difficultySent_) {
            client_->send({{"op", "difficulty"}, {"value", "normal"}});
            difficultySent_ = true;
        } else if (members() >= roomSize || now - joined_ > kWaitForFullRoom) {
            client_->send({{"op", "select"}, {"mission", kMission}});
        } else {
            return;
        }
    } else if (host_ && (current == 3 || current == 4)) {
        client_->send({{"op", "restart"}});
    } else if (current == 1) {
        const json* own = client_->local();
        if (own == nullptr || own->value("ready", false)) return;
        client_->send({{"op", "ready"}, {"loadout", {0, 1, 0, 0, 0, 0}}, {"ready", true}});
    } else {
        return;
    }
    nextCommand_ = now + kCommandPause;
    awaiting_ = true;
    commandRevision_ = client_->revision;
    commandAt_ = now;
}

void Bot::speak(Clock::time_point now) {
    if (phase() != 2 || !voice_.ready()) {
        nextVoice_ = now;
        return;
    }
    // After a stall the missed frames are dropped rather than sent in a burst
    // the relay's rate limit would refuse, as a real microphone's would be.
    if (now - nextVoice_ > 5 * kVoiceFrame) nextVoice_ = now;
    const std::size_t listeners = members() > 0 ? members() - 1 : 0;
    while (nextVoice_ <= now) {
        if (voice_.send(vant::voice::Channel{1}, 1, voiceFrame())) {
            ++stats.voiceSent;
            stats.voiceExpected += listeners;
        }
        nextVoice_ += kVoiceFrame;
    }
}

}  // namespace bastion::coopbots
