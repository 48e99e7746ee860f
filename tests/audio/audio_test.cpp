#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

#include <SDL.h>

#include "audio/audio.h"
#include "support/scoped_environment.h"
#include "world/world.h"

namespace bastion {
namespace {

// An open device on SDL's dummy driver, paused so that only the test drains
// the voice ring.
class AudioTest : public testing::Test {
protected:
    testing_support::ScopedEnvironment driver{"SDL_AUDIODRIVER", "dummy"};
    Audio audio{"."};

    void SetUp() override {
        ASSERT_NE(audio.device, 0u) << SDL_GetError();
        SDL_PauseAudioDevice(audio.device, 1);
    }

    std::vector<float> mixed(std::size_t floats) {
        std::vector<float> out(floats, 7.0f);
        audio.mix(out);
        return out;
    }
};

TEST_F(AudioTest, VolumesAreClampedAndNonFiniteCallsIgnored) {
    struct Case {
        float sound, music, wantSound, wantMusic;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {0.5f, 0.25f, 0.5f, 0.25f}, {2.0f, -1.0f, 1.0f, 0.0f}, {nan, 0.75f, 1.0f, 0.0f},
        {0.3f, inf, 1.0f, 0.0f},    {-inf, 0.1f, 1.0f, 0.0f},
    };
    for (const Case& c : cases) {
        audio.setVolumes(c.sound, c.music);
        EXPECT_EQ(audio.soundVolume, c.wantSound) << c.sound << " " << c.music;
        EXPECT_EQ(audio.musicVolume, c.wantMusic) << c.sound << " " << c.music;
    }
}

TEST_F(AudioTest, VoiceRingPlaysInterleavedAndDropsTheOldestWhenFull) {
    audio.queueVoice(std::vector<float>{0.1f, 0.2f, 0.3f});
    EXPECT_EQ(audio.voiceBytes(), 12u);
    // Frame one takes left and right, frame two only the left that is left.
    EXPECT_EQ(mixed(6), (std::vector<float>{0.1f, 0.2f, 0.3f, 0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(audio.voiceBytes(), 0u);

    std::vector<float> samples(Audio::kRingFloats + 4);
    std::iota(samples.begin(), samples.end(), 0.0f);
    audio.queueVoice(samples);
    EXPECT_EQ(audio.voiceBytes(), Audio::kRingFloats * 4);
    EXPECT_EQ(mixed(4), (std::vector<float>{4.0f, 5.0f, 6.0f, 7.0f}));

    audio.clearVoice();
    EXPECT_EQ(audio.voiceBytes(), 0u);
    EXPECT_EQ(mixed(2), (std::vector<float>{0.0f, 0.0f}));
    audio.queueVoice({});
    EXPECT_EQ(audio.voiceBytes(), 0u);
}

TEST_F(AudioTest, UpdateEmptiesTheSoundList) {
    World world;
    world.sounds.push_back(SoundEvent{});
    world.sounds.push_back(SoundEvent{});
    audio.update(world, true, false);
    EXPECT_TRUE(world.sounds.empty());
}

TEST(AudioWithoutDevice, IsSilentButStillEmptiesSoundsAndStoresVolumes) {
    const testing_support::ScopedEnvironment driver("SDL_AUDIODRIVER", "no-such-driver");
    testing::internal::CaptureStderr();
    Audio audio(".");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(audio.device, 0u);
    EXPECT_EQ(err.rfind("Audio unavailable: ", 0), 0u) << err;
    EXPECT_GT(err.size(), std::string("Audio unavailable: \n").size());
    EXPECT_EQ(err.back(), '\n');

    World world;
    world.sounds.push_back(SoundEvent{});
    audio.update(world, true, false);
    EXPECT_TRUE(world.sounds.empty());
    audio.queueVoice(std::vector<float>{1.0f, 2.0f});
    EXPECT_EQ(audio.voiceBytes(), 0u);
    audio.setVolumes(0.5f, 0.2f);
    EXPECT_EQ(audio.soundVolume, 0.5f);
    EXPECT_EQ(audio.musicVolume, 0.2f);
}

}  // namespace
}  // namespace bastion
