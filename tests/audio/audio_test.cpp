#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

#include <SDL.h>

#include "audio/audio.h"
#include "audio/internal/effect_choice.h"
#include "contentgen/music_content.h"
#include "contentgen/synth_waves.h"
#include "effect_tree.h"
#include "support/content/files.h"
#include "support/scoped_environment.h"
#include "world/world.h"

namespace bastion {
namespace {

using testing_support::EffectTree;

// Every effect a sound event can play, as constant-level fixtures 480 frames
// long, plus the demo music. The cutter (effect 6) is a 0.1 s ramp; bank 1
// holds an effect 7 file that must never load.
const EffectTree& effectTree() {
    static const EffectTree tree;
    static const bool written = [] {
        for (const int e : {0, 1, 3, 4, 5, 7, 10, 12, 14, 20, 22}) tree.writeConstant(0, e, EffectTree::level(0, e), 480);
        for (const int e : {0, 1, 3, 4, 5, 7, 9, 11, 12, 13, 15, 17, 19, 25, 27})
            tree.writeConstant(1, e, EffectTree::level(1, e), 480);
        std::vector<float> ramp(4800);
        std::iota(ramp.begin(), ramp.end(), 0.0f);
        tree.writeSamples(0, 6, ramp);
        contentgen::writeMusic(tree.retail());
        contentgen::writeSystemFolder(tree.retail());
        return true;
    }();
    static_cast<void>(written);
    return tree;
}

// An open device on SDL's dummy driver, paused so that only the test mixes.
class AudioTest : public testing::Test {
protected:
    testing_support::ScopedEnvironment driver{"SDL_AUDIODRIVER", "dummy"};
    Audio audio{effectTree().retail()};
    World world;

    // The device runs from construction until SetUp pauses it, so its own
    // callback may already have mixed some silence.
    Audio::Statistics beforeTest;

    void SetUp() override {
        ASSERT_NE(audio.device, 0u) << SDL_GetError();
        SDL_PauseAudioDevice(audio.device, 1);
        beforeTest = audio.statistics();
        ASSERT_NE(audio.music, nullptr);
    }

    std::vector<float> mixed(std::size_t floats) {
        std::vector<float> out(floats, 7.0f);
        audio.mix(out);
        return out;
    }

    // The listener is the pilot's eye, 12 above its feet. A pilot away from
    // the origin catches a listener left there; these coordinates keep every
    // offset below exact.
    void standAwayFromTheOrigin() { world.pilot.position = {300.0f, 5.0f, -200.0f}; }
    Vec3 listener() const { return world.pilot.position + Vec3{0.0f, 12.0f, 0.0f}; }

    void sound(u32 kind, Vec3 offset, int weapon = 0) { world.sounds.push_back({kind, weapon, listener() + offset}); }

    // The voice a lone event at `offset` from the listener starts.
    Audio::Voice voiceFor(Vec3 offset, u32 kind = SoundEvent::kStrike) {
        const std::vector<Audio::Voice> before = audio.voices;
        audio.voices.clear();
        sound(kind, offset);
        audio.update(world, true, false);
        EXPECT_EQ(audio.voices.size(), 1u);
        const Audio::Voice voice = audio.voices.empty() ? Audio::Voice{} : audio.voices.front();
        audio.voices = before;
        return voice;
    }
};

TEST(EffectChoice, EventsToEffectsAndBanks) {
    struct Case {
        u32 kind;
        int weapon;
        bool second;
        int effect;  // -1: plays nothing
        int bank;
        float gainScale;
    };
    const Case cases[] = {
        {0, 0, false, 12, 0, 1},  {0, 0, true, 17, 1, 1},   {0, -5, false, 12, 0, 1}, {0, 1, false, 0, 0, 1},
        {0, 2, true, 1, 1, 1},    {0, 3, false, 6, 0, 1},   {0, 6, false, 5, 0, 1},   {0, 7, false, -1, 0, 1},
        {0, 7, true, -1, 0, 1},   {0, 8, false, 7, 0, 1},   {0, 8, true, 1, 1, 1},    {0, 9, false, 13, 1, 1},
        {0, 9, true, 13, 1, 1},   {0, 11, false, 12, 1, 1}, {0, 12, true, 9, 1, 1},   {0, 20, false, 9, 1, 1},
        {1, 0, false, 10, 0, 1},  {1, 0, true, 15, 1, 1},   {2, 0, false, 20, 0, 1},  {2, 0, true, 25, 1, 1},
        {3, 0, false, -1, 0, 1},  {4, 0, false, 14, 0, 1},  {4, 0, true, 19, 1, 1},   {5, 0, true, -1, 0, 1},
        {6, 0, false, -1, 0, 1},  {7, 0, false, 6, 0, 1},   {7, 0, true, 6, 1, 1},    {8, 0, false, 22, 0, 1},
        {8, 0, true, 27, 1, 1},   {9, 0, false, 10, 0, 0.5f}, {9, 0, true, 15, 1, 0.5f}, {10, 0, false, -1, 0, 1},
    };
    for (const Case& c : cases) {
        const std::optional<EffectChoice> choice = chooseEffect({c.kind, c.weapon, {}}, c.second);
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " weapon " << c.weapon << " second " << c.second);
        ASSERT_EQ(choice.has_value(), c.effect >= 0);
        if (!choice) continue;
        EXPECT_EQ(choice->effect, c.effect);
        EXPECT_EQ(choice->bank, c.bank);
        EXPECT_EQ(choice->gainScale, c.gainScale);
    }
}

// Gains worked out by hand: the gain is 0.45 at the listener and falls as
// 1 / (1 + 0.012 d), so 50 units away it is 0.45 / 1.6 = 0.28125 and 250
// away 0.45 / 4 = 0.1125, half a unit away 0.45 / 1.006. A sound wholly to one side plays at 0.4 of that
// on the far ear and 1.6 on the near one; a 3-4-5 offset pans by 0.6.
TEST_F(AudioTest, EventsBecomePositionalVoices) {
    standAwayFromTheOrigin();
    const struct {
        const char* what;
        u32 kind;
        int weapon;
        Vec3 offset;
        float left, right;
        const std::vector<float>* samples;
    } cases[] = {
        {"at the listener", SoundEvent::kStrike, 0, {0, 0, 0}, 0.45f, 0.45f, &audio.banks[0][10]},
        {"on the right within 1 unit: centred", SoundEvent::kStrike, 0, {0.5f, 0, 0}, 0.4473161f, 0.4473161f,
         &audio.banks[0][10]},
        {"right (+x at heading 0)", SoundEvent::kStrike, 0, {50, 0, 0}, 0.1125f, 0.45f, &audio.banks[0][10]},
        {"left", SoundEvent::kStrike, 0, {-50, 0, 0}, 0.45f, 0.1125f, &audio.banks[0][10]},
        {"ahead", SoundEvent::kStrike, 0, {0, 0, -50}, 0.28125f, 0.28125f, &audio.banks[0][10]},
        {"behind", SoundEvent::kStrike, 0, {0, 0, 50}, 0.28125f, 0.28125f, &audio.banks[0][10]},
        {"overhead", SoundEvent::kStrike, 0, {0, 50, 0}, 0.28125f, 0.28125f, &audio.banks[0][10]},
        {"ahead and right", SoundEvent::kStrike, 0, {30, 0, -40}, 0.18f, 0.3825f, &audio.banks[0][10]},
        {"far right", SoundEvent::kStrike, 0, {250, 0, 0}, 0.045f, 0.18f, &audio.banks[0][10]},
        {"footfall: half gain", SoundEvent::kFootfall, 0, {0, 0, 50}, 0.140625f, 0.140625f, &audio.banks[0][10]},
        {"pickup: plays nothing", SoundEvent::kPickup, 0, {0, 0, 1}, 0, 0, nullptr},
        {"weapon 20", SoundEvent::kFired, 20, {0, 0, 0}, 0.45f, 0.45f, &audio.banks[1][9]},
    };
    for (const auto& c : cases) sound(c.kind, c.offset, c.weapon);
    audio.update(world, true, false);
    EXPECT_TRUE(world.sounds.empty());
    std::size_t i = 0;
    for (const auto& c : cases) {
        if (c.samples == nullptr) continue;
        SCOPED_TRACE(c.what);
        ASSERT_LT(i, audio.voices.size());
        EXPECT_FLOAT_EQ(audio.voices[i].gainL, c.left);
        EXPECT_FLOAT_EQ(audio.voices[i].gainR, c.right);
        EXPECT_EQ(audio.voices[i].samples, c.samples);
        EXPECT_EQ(audio.voices[i].position, 0u);
        ++i;
    }
    EXPECT_EQ(audio.voices.size(), i);

    // Turned a quarter left (torso on legs, in the second campaign's bank),
    // a sound at -z is wholly to the right.
    audio.voices.clear();
    world.pilot.angles[0] = 1.0f;
    world.pilot.angles[1] = 0.5707964f;
    sound(SoundEvent::kStrike, {0, 0, -50});
    world.campaign = 1;
    audio.update(world, true, false);
    ASSERT_EQ(audio.voices.size(), 1u);
    EXPECT_FLOAT_EQ(audio.voices[0].gainL, 0.1125f);
    EXPECT_FLOAT_EQ(audio.voices[0].gainR, 0.45f);
    EXPECT_EQ(audio.voices[0].samples, &audio.banks[1][15]);
}

// Whatever the heading: the louder ear is the one on the sound's side, a
// sound straight ahead or behind is balanced, mirror images swap the ears,
// turning never changes the total, and the total falls with distance.
TEST_F(AudioTest, PanFollowsTheSideAndGainFallsWithDistance) {
    const Vec3 up{0.0f, 1.0f, 0.0f};
    for (const float heading : {0.0f, 1.0f, -2.5f, 3.0f}) {
        world.pilot.angles[0] = heading;
        const Vec3 ahead = direction(heading, 0.0f);
        const Vec3 right = cross(ahead, up);
        float lastTotal = 1.0f;
        for (const float d : {2.0f, 5.0f, 20.0f, 80.0f, 300.0f, 1200.0f}) {
            SCOPED_TRACE(testing::Message() << "heading " << heading << " distance " << d);
            const Audio::Voice front = voiceFor(ahead * d);
            const Audio::Voice back = voiceFor(ahead * -d);
            const Audio::Voice onRight = voiceFor(right * d);
            const Audio::Voice onLeft = voiceFor(right * -d);
            const Audio::Voice frontRight = voiceFor(normalize(ahead + right) * d);
            const Audio::Voice backLeft = voiceFor(normalize(ahead + right) * -d);
            const float total = front.gainL + front.gainR;
            EXPECT_GT(front.gainL, 0.0f);
            EXPECT_LT(total, lastTotal);
            lastTotal = total;
            for (const Audio::Voice& v : {front, back}) EXPECT_NEAR(v.gainL, v.gainR, 1e-5f * total);
            EXPECT_FLOAT_EQ(onRight.gainR, 4.0f * onRight.gainL);  // the widest pan: 1.6 to 0.4
            EXPECT_GT(frontRight.gainR, frontRight.gainL);
            EXPECT_LT(frontRight.gainR, onRight.gainR);
            EXPECT_FLOAT_EQ(onLeft.gainL, onRight.gainR);
            EXPECT_FLOAT_EQ(onLeft.gainR, onRight.gainL);
            EXPECT_FLOAT_EQ(backLeft.gainL, frontRight.gainR);
            EXPECT_FLOAT_EQ(backLeft.gainR, frontRight.gainL);
            for (const Audio::Voice& v : {back, onRight, onLeft, frontRight, backLeft})
                EXPECT_FLOAT_EQ(v.gainL + v.gainR, total);
        }
    }
}

TEST_F(AudioTest, AtMost24VoicesTheOldestGivingWay) {
    const float eighth = voiceFor({8, 0, 0}, SoundEvent::kExplosion).gainL;
    const float last = voiceFor({31, 0, 0}, SoundEvent::kExplosion).gainL;
    ASSERT_NE(eighth, last);
    for (int i = 0; i < 30; ++i) sound(SoundEvent::kExplosion, {static_cast<float>(2 + i), 0, 0});
    audio.update(world, true, false);
    ASSERT_EQ(audio.voices.size(), Audio::kMaxVoices);
    EXPECT_EQ(audio.voices.front().gainL, eighth);
    EXPECT_EQ(audio.voices.back().gainL, last);
    EXPECT_EQ(audio.voices.capacity(), Audio::kMaxVoices);
}

TEST_F(AudioTest, VoicesMixAtTheirGainsUntilTheyEnd) {
    audio.setVolumes(0.5f, 1.0f);
    sound(SoundEvent::kExplosion, {0, 0, 0});  // gains 0.45 and 0.45
    sound(SoundEvent::kHurt, {50, 0, 0});  // gains 0.1125 and 0.45
    audio.update(world, true, false);
    const std::vector<float> out = mixed(2 * 512);
    const float explosion = EffectTree::level(0, 20) * 0.5f;
    const float hurt = EffectTree::level(0, 14) * 0.5f;
    for (std::size_t k = 0; k < 512; ++k) {
        const float left = k < 480 ? 0.45f * explosion + 0.1125f * hurt : 0.0f;
        const float right = k < 480 ? 0.45f * explosion + 0.45f * hurt : 0.0f;
        ASSERT_FLOAT_EQ(out[2 * k], left) << k;
        ASSERT_FLOAT_EQ(out[2 * k + 1], right) << k;
    }
    EXPECT_TRUE(audio.voices.empty());
}

TEST_F(AudioTest, LeavingThePlayingScreenStopsEffectsAndChoosesMusic) {
    sound(SoundEvent::kExplosion, {0, 0, 0});
    audio.update(world, true, false);
    ASSERT_EQ(audio.voices.size(), 1u);
    sound(SoundEvent::kExplosion, {0, 0, 0});
    world.pilot.status = kStatusKilled;
    audio.update(world, false, true);
    EXPECT_TRUE(audio.voices.empty());
    EXPECT_TRUE(world.sounds.empty());
    EXPECT_EQ(audio.track, Audio::kMenuMusic);
    EXPECT_EQ(audio.music->currentSong, Music::kMenuSong);
    EXPECT_TRUE(audio.musicOn);
    EXPECT_FALSE(audio.alarmOn);

    audio.update(world, false, false);  // the window lost focus
    EXPECT_EQ(audio.track, Audio::kSilence);
    EXPECT_EQ(audio.music->currentSong, -1);
    EXPECT_FALSE(audio.musicOn);
}

TEST_F(AudioTest, MissionMusicStartsOverWithTheMission) {
    world.missionIndex = 3;
    world.missionTime = 5.0f;
    audio.update(world, true, false);
    EXPECT_EQ(audio.track, 3);
    EXPECT_EQ(audio.music->currentSong, static_cast<int>(audio.music->missionTracks[3]));
    mixed(2 * 4800);
    const u64 played = audio.music->eventPosition;
    EXPECT_GT(played, 0u);
    world.missionTime = 6.0f;
    audio.update(world, true, false);
    EXPECT_EQ(audio.music->eventPosition, played);
    world.missionTime = 0.5f;  // the mission started over
    audio.update(world, true, false);
    EXPECT_EQ(audio.music->eventPosition, 0u);
    EXPECT_EQ(audio.music->clock, 0.0);

    world.campaign = 1;
    world.missionIndex = 17;  // the second campaign's tracks wrap at 16
    audio.update(world, true, false);
    EXPECT_EQ(audio.track, 1);
    EXPECT_EQ(audio.music->currentSong, static_cast<int>(audio.music->missionTracks[1]));
}

TEST_F(AudioTest, MusicPlaysAtItsShareOfTheMusicVolume) {
    audio.setVolumes(1.0f, 0.5f);
    audio.update(world, false, true);
    const std::vector<float> out = mixed(2 * 4096);
    Music alone(effectTree().retail());
    alone.select(Music::kMenuSong);
    std::vector<float> want(2 * 4096, 0.0f);
    alone.mix(want, 48000);
    float peak = 0.0f;
    for (std::size_t i = 0; i < want.size(); ++i) {
        ASSERT_EQ(out[i], want[i] * (0.5f * 0.6f)) << i;
        peak = std::max(peak, std::fabs(out[i]));
    }
    EXPECT_GT(peak, 0.01f);
}

TEST_F(AudioTest, LimiterHoldsThePeakAndRecoversSlowly) {
    audio.queueVoice(std::vector<float>{1.8f, 0.2f, 0.1f, 0.1f});
    const std::vector<float> out = mixed(4);
    EXPECT_FLOAT_EQ(out[0], 0.9f);
    EXPECT_FLOAT_EQ(out[1], 0.1f);
    const float recovered = 0.5f + (1.0f - 0.5f) * 0.0002f;
    EXPECT_FLOAT_EQ(out[2], 0.1f * recovered);
    EXPECT_FLOAT_EQ(audio.limiterGain, recovered);
    mixed(2 * 3);
    const Audio::Statistics stats = audio.statistics();
    EXPECT_EQ(stats.frames - beforeTest.frames, 5u);
    EXPECT_EQ(stats.nonSilent - beforeTest.nonSilent, 2u);
    EXPECT_EQ(stats.limited - beforeTest.limited, 5u);
    EXPECT_FLOAT_EQ(stats.peak, 0.9f);
}

// Left-channel sign changes of `out` in frames [from, to).
int crossings(const std::vector<float>& out, std::size_t from, std::size_t to) {
    int count = 0;
    for (std::size_t k = from + 1; k < to; ++k) count += (out[2 * k - 2] < 0.0f) != (out[2 * k] < 0.0f);
    return count;
}

TEST_F(AudioTest, AlarmTwoTonesForOneAndAHalfSeconds) {
    world.pilot.status = kStatusKilled;
    world.pilot.ejection = 0.0f;
    audio.update(world, true, false);
    EXPECT_TRUE(audio.alarmOn);
    std::vector<float> out;
    for (int buffer = 0; buffer < 160; ++buffer) {
        const std::vector<float> part = mixed(2 * 512);
        out.insert(out.end(), part.begin(), part.end());
    }
    EXPECT_NEAR(crossings(out, 0, 9600), 264, 2);  // 660 Hz for 0.2 s
    EXPECT_NEAR(crossings(out, 9600, 19200), 352, 2);  // then 880 Hz
    EXPECT_NEAR(crossings(out, 19200, 28800), 264, 2);
    float peak = 0.0f;
    std::size_t last = 0;
    for (std::size_t k = 0; k < out.size() / 2; ++k) {
        EXPECT_EQ(out[2 * k], out[2 * k + 1]);
        peak = std::max(peak, std::fabs(out[2 * k]));
        if (out[2 * k] != 0.0f) last = k;
    }
    EXPECT_NEAR(peak, 0.09f, 0.0005f);
    EXPECT_NEAR(static_cast<double>(last), 72000.0, 2.0);

    // A kill first seen 2 s after it happened sounds nothing.
    world.pilot.status = kStatusActive;
    audio.update(world, true, false);
    EXPECT_FALSE(audio.alarmOn);
    world.pilot.status = kStatusKilled;
    world.pilot.ejection = 2.0f;
    audio.update(world, true, false);
    EXPECT_TRUE(audio.alarmOn);
    const std::vector<float> late = mixed(2 * 512);
    EXPECT_EQ(late, std::vector<float>(2 * 512, 0.0f));
}

TEST_F(AudioTest, CutterLastsEightThousandSixHundredFortySamples) {
    const std::vector<float>& cutter = audio.banks[0][6];
    ASSERT_EQ(cutter.size(), 8640u);
    for (std::size_t k = 0; k < cutter.size(); ++k) ASSERT_EQ(cutter[k], static_cast<float>(k % 4800)) << k;
    EXPECT_TRUE(audio.banks[1][6].empty());
    EXPECT_TRUE(audio.banks[1][7].empty());  // never loaded
    EXPECT_EQ(audio.banks[1][13], std::vector<float>(480, EffectTree::level(1, 13)));
}

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

    std::vector<float> samples(30000);
    std::iota(samples.begin(), samples.end(), 0.0f);
    for (float& s : samples) s *= 1e-5f;
    audio.queueVoice(samples);
    EXPECT_EQ(audio.voiceBytes(), 96000u);
    EXPECT_EQ(mixed(4), (std::vector<float>{samples[6000], samples[6001], samples[6002], samples[6003]}));

    audio.clearVoice();
    EXPECT_EQ(audio.voiceBytes(), 0u);
    EXPECT_EQ(mixed(2), (std::vector<float>{0.0f, 0.0f}));
    audio.queueVoice({});
    EXPECT_EQ(audio.voiceBytes(), 0u);
}

TEST(AudioLoading, EffectAndMusicMessages) {
    const testing_support::ScopedEnvironment driver("SDL_AUDIODRIVER", "dummy");
    EffectTree tree;
    tree.writeConstant(0, 2, 0.5f, 10);
    testing_support::writeFile(tree.bankFolder(0) / "effect-03.wav", "RIFF but not a wave");
    std::filesystem::create_directories(tree.bankFolder(1) / "effect-04.wav");
    tree.writeConstant(1, 5, 0.5f, 10);
    testing::internal::CaptureStderr();
    Audio audio(tree.retail());
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_NE(audio.device, 0u);
    EXPECT_EQ(audio.music, nullptr);
    const std::string music = err.substr(0, err.find('\n') + 1);
    EXPECT_EQ(music.rfind("Music unavailable: ", 0), 0u) << err;
    EXPECT_EQ(err.substr(music.size()), "Cannot load effect: \"" + (tree.bankFolder(0) / "effect-03.wav").string() +
                                            "\"\nCannot load effect: \"" +
                                            (tree.bankFolder(1) / "effect-04.wav").string() + "\"\n");
    EXPECT_EQ(audio.banks[0][2].size(), 10u);
    EXPECT_EQ(audio.banks[1][5].size(), 10u);
    EXPECT_TRUE(audio.banks[0][3].empty());
}

TEST(AudioWithoutDevice, IsSilentButStillEmptiesSoundsAndStoresVolumes) {
    const testing_support::ScopedEnvironment driver("SDL_AUDIODRIVER", "no-such-driver");
    testing::internal::CaptureStderr();
    Audio audio(effectTree().retail());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(audio.device, 0u);
    EXPECT_EQ(err.rfind("Audio unavailable: ", 0), 0u) << err;
    EXPECT_GT(err.size(), std::string("Audio unavailable: \n").size());
    EXPECT_EQ(err.back(), '\n');
    EXPECT_TRUE(audio.banks[0][10].empty());

    World world;
    world.sounds.push_back(SoundEvent{});
    audio.update(world, true, false);
    EXPECT_TRUE(world.sounds.empty());
    EXPECT_TRUE(audio.voices.empty());
    audio.queueVoice(std::vector<float>{1.0f, 2.0f});
    EXPECT_EQ(audio.voiceBytes(), 0u);
    EXPECT_EQ(audio.statistics().frames, 0u);
    audio.setVolumes(0.5f, 0.2f);
    EXPECT_EQ(audio.soundVolume, 0.5f);
    EXPECT_EQ(audio.musicVolume, 0.2f);
}

}  // namespace
}  // namespace bastion
