// The whole path from sound events to the output stream, captured through
// SDL's disk audio driver.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <thread>
#include <vector>

#include "audio/audio.h"
#include "effect_tree.h"
#include "support/demo_content.h"
#include "support/scoped_environment.h"
#include "support/temp_folder.h"
#include "world/world.h"

namespace bastion {
namespace {

using testing_support::EffectTree;
using testing_support::ScopedEnvironment;

struct Frame {
    float left;
    float right;
};

class Capture {
public:
    explicit Capture(const std::filesystem::path& root)
        : folder_("capture"),
          file_(folder_.path() / "out.raw"),
          driver_("SDL_AUDIODRIVER", "disk"),
          output_("SDL_DISKAUDIOFILE", file_.c_str()),
          delay_("SDL_DISKAUDIODELAY", "1"),
          audio(root) {}

    // Waits (at most 30 s) until `more` frames beyond those mixed so far are
    // in the file.
    void waitFor(u64 more) {
        const u64 target = audio.statistics().frames + more;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (audio.statistics().frames < target || fileFrames() < target) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the device stopped mixing";
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    // The frames in the file now. The device keeps writing while the file
    // is read, so only what is there at the start is read: reading to the
    // end could chase a file that grows faster than a loaded machine reads.
    std::vector<Frame> frames() const {
        std::vector<Frame> out(fileFrames());
        std::ifstream stream(file_, std::ios::binary);
        stream.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size() * sizeof(Frame)));
        out.resize(static_cast<std::size_t>(stream.gcount()) / sizeof(Frame));
        return out;
    }

    // The runs of consecutive frames that are not silent, in order.
    std::vector<std::vector<Frame>> sounds() const {
        std::vector<std::vector<Frame>> runs;
        bool inside = false;
        for (const Frame& f : frames()) {
            const bool sounding = f.left != 0.0f || f.right != 0.0f;
            if (sounding && !inside) runs.emplace_back();
            if (sounding) runs.back().push_back(f);
            inside = sounding;
        }
        return runs;
    }

private:
    u64 fileFrames() const {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(file_, error);
        return error ? 0 : size / sizeof(Frame);
    }

    testing_support::TempFolder folder_;
    std::filesystem::path file_;
    ScopedEnvironment driver_;
    ScopedEnvironment output_;
    ScopedEnvironment delay_;

public:
    Audio audio;
};

float gainAt(float d) { return 0.45f / (1.0f + 0.012f * d); }

TEST(AudioCapture, MenuMusicSoundsWithinTheLimiterBound) {
    Capture capture(testing_support::demoContent());
    ASSERT_NE(capture.audio.device, 0u);
    World world;
    capture.audio.update(world, false, true);
    capture.waitFor(48000);
    const std::vector<Frame> frames = capture.frames();
    ASSERT_GE(frames.size(), 48000u);
    std::size_t sounding = 0;
    for (std::size_t k = 0; k < frames.size(); ++k) {
        for (const float v : {frames[k].left, frames[k].right}) {
            ASSERT_TRUE(std::isfinite(v)) << k;
            ASSERT_LE(std::fabs(v), 0.9f + 1e-6f) << k;
        }
        if (k >= frames.size() - 24000) sounding += frames[k].left != 0.0f;
    }
    EXPECT_GT(sounding, 23000u);
    EXPECT_GT(capture.audio.statistics().nonSilent, 24000u);
}

TEST(AudioCapture, EffectsPlayAtTheirPanAndGain) {
    EffectTree tree;
    const struct {
        int bank, effect;
    } used[] = {{0, 10}, {0, 20}, {1, 13}, {1, 15}};
    for (const auto& u : used) tree.writeConstant(u.bank, u.effect, EffectTree::level(u.bank, u.effect), 480);
    Capture capture(tree.retail());
    ASSERT_NE(capture.audio.device, 0u);
    World world;
    const Vec3 listener = world.pilot.position + Vec3{0.0f, 12.0f, 0.0f};
    const struct {
        int campaign;
        SoundEvent event;
        float left, right;
    } cases[] = {
        {0, {SoundEvent::kStrike, 0, listener + Vec3{10, 0, 0}}, gainAt(10) * 0.4f * EffectTree::level(0, 10),
         gainAt(10) * 1.6f * EffectTree::level(0, 10)},
        {0, {SoundEvent::kExplosion, 0, listener + Vec3{0, 0, 10}}, gainAt(10) * EffectTree::level(0, 20),
         gainAt(10) * EffectTree::level(0, 20)},
        {0, {SoundEvent::kFired, 9, listener + Vec3{-20, 0, 0}}, gainAt(20) * 1.6f * EffectTree::level(1, 13),
         gainAt(20) * 0.4f * EffectTree::level(1, 13)},
        {1, {SoundEvent::kFootfall, 0, listener + Vec3{0, 0.5f, 0}}, gainAt(0.5f) * 0.5f * EffectTree::level(1, 15),
         gainAt(0.5f) * 0.5f * EffectTree::level(1, 15)},
    };
    for (const auto& c : cases) {
        world.campaign = c.campaign;
        world.sounds.push_back(c.event);
        capture.audio.update(world, true, false);
        capture.waitFor(2048);  // long past the effect's 480 frames
    }
    const std::vector<std::vector<Frame>> sounds = capture.sounds();
    ASSERT_EQ(sounds.size(), std::size(cases));
    for (std::size_t i = 0; i < sounds.size(); ++i) {
        ASSERT_EQ(sounds[i].size(), 480u) << i;
        for (const Frame& f : sounds[i]) {
            ASSERT_FLOAT_EQ(f.left, cases[i].left) << i;
            ASSERT_FLOAT_EQ(f.right, cases[i].right) << i;
        }
    }
}

TEST(AudioCapture, ThirtyEventsInOneFramePlayTwentyFourVoices) {
    EffectTree tree;
    tree.writeConstant(0, 20, EffectTree::level(0, 20), 480);
    Capture capture(tree.retail());
    ASSERT_NE(capture.audio.device, 0u);
    World world;
    for (int i = 0; i < 30; ++i) world.sounds.push_back({SoundEvent::kExplosion, 0, world.pilot.position});
    capture.audio.update(world, true, false);
    capture.waitFor(2048);
    const std::vector<std::vector<Frame>> sounds = capture.sounds();
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(sounds[0].size(), 480u);
    const float one = gainAt(12.0f) * EffectTree::level(0, 20);
    EXPECT_NEAR(sounds[0][0].left, 24 * one, 1e-5f);
    EXPECT_NEAR(sounds[0][0].right, 24 * one, 1e-5f);
}

// Left-channel sign changes in frames [from, to) of a run.
int crossings(const std::vector<Frame>& run, std::size_t from, std::size_t to) {
    int count = 0;
    for (std::size_t k = from + 1; k < to && k < run.size(); ++k) count += (run[k - 1].left < 0) != (run[k].left < 0);
    return count;
}

TEST(AudioCapture, AlarmPlaysTwoTonesForOneAndAHalfSeconds) {
    EffectTree tree;
    Capture capture(tree.retail());
    ASSERT_NE(capture.audio.device, 0u);
    World world;
    world.pilot.status = kStatusKilled;
    capture.audio.update(world, true, false);
    capture.waitFor(80000);
    const std::vector<std::vector<Frame>> sounds = capture.sounds();
    ASSERT_FALSE(sounds.empty());
    // A sine sample can land on 0 exactly: rejoin the pieces.
    std::vector<Frame> alarm;
    for (const std::vector<Frame>& run : sounds) alarm.insert(alarm.end(), run.begin(), run.end());
    EXPECT_NEAR(static_cast<double>(alarm.size()), 72000.0, 4.0);
    EXPECT_NEAR(crossings(alarm, 0, 9600), 264, 2);
    EXPECT_NEAR(crossings(alarm, 9600, 19200), 352, 2);
    EXPECT_NEAR(crossings(alarm, 67200, 72000), 176, 2);  // 880 Hz in the last 0.1 s
}

TEST(AudioCapture, VoiceRingPlaysInOrder) {
    EffectTree tree;
    Capture capture(tree.retail());
    ASSERT_NE(capture.audio.device, 0u);
    std::vector<float> voice(3000);
    for (std::size_t i = 0; i < voice.size(); ++i) voice[i] = 0.0001f * static_cast<float>(i + 1);
    capture.audio.queueVoice(voice);
    capture.waitFor(4096);
    std::vector<float> heard;
    for (const Frame& f : capture.frames())
        for (const float v : {f.left, f.right})
            if (v != 0.0f) heard.push_back(v);
    EXPECT_EQ(heard, voice);
    EXPECT_EQ(capture.audio.voiceBytes(), 0u);
}

}  // namespace
}  // namespace bastion
