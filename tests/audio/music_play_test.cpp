#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "audio/music.h"
#include "music_tree.h"

namespace bastion {
namespace {

using contentgen::kEndlessLoop;
using contentgen::kScoreEnd;
using contentgen::loopEvent;
using contentgen::noteOff;
using contentgen::noteOn;
using contentgen::parameterEvent;
using contentgen::ScoreEvent;
using nlohmann::json;

constexpr std::uint32_t kRate = 48000;
constexpr float kUnit = 1.0f / 32768.0f;

// Instrument 0: an 8-bit sample voice over four bytes (512, -512, 32258,
// -32258), level 2048 (32768 at velocity 64), step 1.0 at pitch 256, full left.
std::vector<std::uint32_t> byteVoiceWords() {
    std::vector<std::uint32_t> w(20, 0);
    w[0] = 32;
    w[1] = 2048;
    w[3] = 4096;
    w[4] = 3 * 256;
    return w;
}

// Instrument 1: an FM voice, carrier step 65536 at pitch 256 (one table
// entry per frame), level 1024 (16384 at velocity 64), modulator step 65536,
// depth 16384, envelope flat at 25600 advancing one fraction step per frame,
// centred.
std::vector<std::uint32_t> fmVoiceWords() {
    std::vector<std::uint32_t> w(20, 0);
    w[0] = 4;
    w[4] = 4096;
    w[6] = 1024;
    w[8] = 65536;
    w[11] = 256;
    w[12] = 9 * 65536;
    w[15] = 8 * 65536;
    w[16] = 16384;
    w[19] = 16384;
    return w;
}

std::vector<int> ramp(int step, int count) {
    std::vector<int> values;
    for (int k = 0; k < count; ++k) values.push_back(step * k);
    return values;
}

// Instrument 2: a 16-bit sample voice over 64 quiet values, step 1.0, with a
// loop and a release position. Instrument 3: a 64-byte 8-bit voice.
std::vector<std::uint32_t> longVoiceWords(std::uint32_t type) {
    std::vector<std::uint32_t> w(20, 0);
    w[0] = type;
    w[1] = 0x80000000u | 2048;
    w[3] = 4096;
    w[4] = 63 * 256;
    w[5] = 32 * 256;
    w[8] = 60 * 256;
    w[19] = 16384;
    return w;
}

// One tree, one player: native rate = tick rate = device rate unless a test
// changes it, so each one-frame mix makes exactly one native frame.
class MusicPlay : public testing::Test {
protected:
    void SetUp() override {
        tree.setRates(kRate);
        tree.addInstrument(0, testing_support::sampleInstrument(byteVoiceWords(), "bytes.raw"));
        tree.addInstrument(0, testing_support::fmInstrument(fmVoiceWords(), ramp(2560, 13), {0, 1000},
                                                            std::vector<int>(10, 25600)));
        tree.addInstrument(0, testing_support::sampleInstrument(longVoiceWords(12), "long16.raw"));
        tree.addInstrument(0, testing_support::sampleInstrument(longVoiceWords(32), "long8.raw"));
        for (int song = 1; song < 7; ++song)
            for (const json& instrument : tree.description["modules"][0]["instruments"])
                tree.addInstrument(song, instrument);
        tree.writeSample("bytes.raw", {0x10, 0x90, 0x7F, 0xFF});
        tree.writeSample("long16.raw", std::vector<std::uint8_t>(128, 1));
        tree.writeSample("long8.raw", std::vector<std::uint8_t>(64, 1));
    }

    // Writes the tree, loads it and starts `song` with its one frame of
    // silence behind it.
    Music& play(int song, const std::vector<ScoreEvent>& score) {
        tree.writeScore(song, score);
        tree.write();
        music = std::make_unique<Music>(tree.retail());
        music->select(song);
        next();
        return *music;
    }

    // The next native frame (one device frame at the native rate).
    Music::Frame next() {
        float out[2] = {0.0f, 0.0f};
        music->mix(out, kRate);
        return music->current;
    }

    // Native frames (1-based) in which voice `v` started its note again.
    std::vector<int> restarts(int frames, int v) {
        std::vector<int> at;
        for (int frame = 1; frame <= frames; ++frame) {
            next();
            if (music->voices[v].words[6] == 256) at.push_back(frame);
        }
        return at;
    }

    testing_support::MusicTree tree;
    std::unique_ptr<Music> music;
};

void expectFrame(Music::Frame frame, int left, int right, int index) {
    EXPECT_EQ(frame.left, static_cast<float>(left) * kUnit) << "frame " << index;
    EXPECT_EQ(frame.right, static_cast<float>(right) * kUnit) << "frame " << index;
}

TEST_F(MusicPlay, EightBitSampleVoiceValues) {
    play(0, {{0, noteOn(0, 0, 256, 64)}});
    // Decoded bytes 512, -512, 32258, -32258; the weights add up to 255, and
    // full left scales by 32767/32768. The last byte interpolates towards 0.
    expectFrame(next(), -510, 0, 1);
    EXPECT_EQ(music->voices[0].words[1], 32768u);  // 2048 x 4096 >> 8
    expectFrame(next(), 32130, 0, 2);
    expectFrame(next(), -32132, 0, 3);
    expectFrame(next(), 0, 0, 4);  // past the end without a loop
    EXPECT_FALSE(music->voices[0].active);
}

TEST_F(MusicPlay, FmVoiceValues) {
    play(0, {{0, noteOn(1, 1, 256, 64)}});
    // Frame 1: carrier entry 1 (2550 after the 255 weights), envelope 25500,
    // out (2550 x 16384 >> 15) x 25500 >> 15 = 992, centred 495 / 496. The
    // modulator entry 1000 at depth 25500 x 16384 >> 15 = 12750 leaves the
    // term 12750 x 1000 >> 7 = 99609 for the next phase step.
    expectFrame(next(), 495, 496, 1);
    EXPECT_EQ(music->voices[1].words[5], 99609u);
    // Frame 2: phase 65536 + 65536 + 99609 = 230681, entry 3 at fraction 133:
    // (7680 x 122 + 10240 x 133) >> 8 = 8980, out 3494.
    expectFrame(next(), 1746, 1747, 2);
    EXPECT_EQ(music->voices[1].words[3], 230681u);
    EXPECT_EQ(music->voices[1].words[5], 0u);
}

TEST_F(MusicPlay, EnvelopeBeyondItsLastPointReadsThatPoint) {
    std::vector<std::uint32_t> words = fmVoiceWords();
    words[14] = 10 * 65536;
    words[12] = 20 * 65536;
    words[19] = 0;
    std::vector<int> envelope(10, 0);
    envelope[9] = 12800;
    tree.addInstrument(0, testing_support::fmInstrument(words, std::vector<int>(128, 25600), {}, envelope));
    play(0, {{0, noteOn(0, 4, 256, 64)}});
    // env 12800 x 255 >> 8 = 12750; out (25500 x 16384 >> 15) x 12750 >> 15.
    expectFrame(next(), 4960, 0, 1);  // out 4961, full left
}

TEST_F(MusicPlay, PanParameterExtremes) {
    play(0, {{0, noteOn(0, 0, 256, 64)}, {0, parameterEvent(false, 0, 10, 128)},
             {2, parameterEvent(false, 0, 10, 0)}});
    EXPECT_EQ(music->voices[0].words[19], 0u);
    expectFrame(next(), 0, -510, 1);  // 128 x 256 - 1 = 32767: full right
    EXPECT_EQ(music->voices[0].words[19], 32767u);
    next();
    expectFrame(next(), -32132, 0, 3);  // 0 x 256 - 1 = -1: clamped to full left
    EXPECT_EQ(music->voices[0].words[19], 0xFFFFFFFFu);
}

TEST_F(MusicPlay, HalfTheDeviceRateInterpolates) {
    tree.setRates(kRate / 2);
    play(0, {{0, noteOn(0, 0, 256, 64)}});
    std::vector<float> out(2 * 8, 0.0f);
    music->select(0);
    music->mix(out, kRate);
    const float n1 = -510 * kUnit;
    const float n2 = 32130 * kUnit;
    const float n3 = -32132 * kUnit;
    const std::vector<float> left = {0.0f, 0.0f, 0.0f, n1 * 0.5f, n1, n1 + (n2 - n1) * 0.5f, n2, n2 + (n3 - n2) * 0.5f};
    for (std::size_t k = 0; k < left.size(); ++k) {
        EXPECT_EQ(out[2 * k], left[k]) << k;
        EXPECT_EQ(out[2 * k + 1], 0.0f) << k;
    }
}

TEST_F(MusicPlay, MixAddsOnlyWholeFramesOfAPlayingSong) {
    play(0, {{0, noteOn(0, 2, 256, 127)}});
    for (int i = 0; i < 3; ++i) next();
    struct Case {
        unsigned rate;
        std::size_t floats;
        std::size_t changed;
    };
    for (const Case c : {Case{0, 4, 0}, Case{kRate, 1, 0}, Case{kRate, 5, 4}, Case{kRate, 2, 2}}) {
        std::vector<float> out(c.floats, 7.0f);
        music->mix(out, c.rate);
        for (std::size_t i = 0; i < out.size(); ++i)
            EXPECT_EQ(out[i] != 7.0f, i < c.changed) << c.rate << " " << c.floats << " " << i;
    }
    for (const int none : {16, -1, -2}) {
        music->start(none);
        EXPECT_EQ(music->currentSong, -1);
        std::vector<float> out(64, 7.0f);
        music->mix(out, kRate);
        EXPECT_EQ(out, std::vector<float>(64, 7.0f)) << none;
    }
    music->select(7);
    EXPECT_EQ(music->currentSong, -1);
    music->missionTracks[3] = 4;
    music->start(3);
    EXPECT_EQ(music->currentSong, 4);
}

TEST_F(MusicPlay, LoopTwiceRunsItsEventsThreeTimesAndStaysFinished) {
    play(0, {{0, noteOn(0, 3, 256, 64)}, {0, noteOn(1, 3, 256, 64)}, {10, loopEvent(2, -3)}});
    EXPECT_EQ(restarts(50, 0), (std::vector<int>{1, 11, 21}));
    EXPECT_EQ(music->songs[0].score[5] & 0xFF, 0u);
    music->select(0);
    next();
    EXPECT_EQ(restarts(50, 1), (std::vector<int>{1}));
}

TEST_F(MusicPlay, EndlessLoopRepeatsWithoutCounting) {
    play(0, {{0, noteOn(0, 3, 256, 64)}, {10, loopEvent(kEndlessLoop, -2)}});
    std::vector<int> expected;
    for (int frame = 1; frame <= 200; frame += 10) expected.push_back(frame);
    EXPECT_EQ(restarts(200, 0), expected);
    EXPECT_EQ(music->songs[0].score[3], loopEvent(kEndlessLoop, -2));
}

TEST_F(MusicPlay, LoopTargetsOutsideTheScoreEndTheSong) {
    play(0, {{0, noteOn(0, 2, 256, 127)}, {0, noteOn(1, 3, 256, 64)}, {10, loopEvent(1, -4)}});
    for (int i = 0; i < 10; ++i) next();
    EXPECT_EQ(music->currentSong, 0);
    next();
    EXPECT_EQ(music->currentSong, -1);
    std::vector<float> out(8, 7.0f);
    music->mix(out, kRate);
    EXPECT_EQ(out, std::vector<float>(8, 7.0f));

    // The last whole pair (the loop event itself) is a valid target.
    play(0, {{0, noteOn(0, 3, 256, 64)}, {0, noteOn(1, 3, 256, 64)}, {10, loopEvent(1, -1)}});
    for (int i = 0; i < 20; ++i) next();
    EXPECT_EQ(music->currentSong, 0);
    EXPECT_EQ(music->songs[0].score[5] & 0xFF, 0u);
}

TEST_F(MusicPlay, EndMarkerStopsEveryLaterEvent) {
    play(0, {{0, noteOn(0, 3, 256, 64)}, {kScoreEnd, 0}, {0, noteOn(1, 3, 256, 64)}});
    for (int i = 0; i < 20; ++i) next();
    EXPECT_TRUE(music->voices[0].active);
    EXPECT_FALSE(music->voices[1].active);
    EXPECT_EQ(music->currentSong, 0);
    EXPECT_EQ(music->eventPosition, 2u);
}

TEST_F(MusicPlay, NoteOnBeyondTheInstrumentsChangesNothing) {
    play(0, {{0, noteOn(2, 31, 256, 64)}, {0, noteOn(3, 4, 256, 64)}});
    next();
    for (const int v : {2, 3}) {
        EXPECT_FALSE(music->voices[v].active);
        EXPECT_EQ(music->voices[v].instrument, nullptr);
        EXPECT_EQ(music->voices[v].words, (std::array<u32, 20>{}));
    }
}

TEST_F(MusicPlay, NoteOffsAndParameterChanges) {
    struct Case {
        const char* name;
        std::uint32_t instrument;  // played on voice 0 at pitch 256, velocity 64
        std::uint32_t event;  // run right after
        bool active;
        int word;
        std::uint32_t value;  // of voice 0's word, or of the instrument's when instrumentWord
        bool instrumentWord;
    };
    const std::uint32_t flag = 0x80000000u;
    const Case cases[] = {
        {"8-bit note off", 3, noteOff(0), false, 6, 0, false},
        {"FM note off ends the loop", 1, noteOff(0), true, 6, 16384, false},
        {"FM note off releases", 1, noteOff(0), true, 14, 8 * 65536 + 256, false},
        {"16-bit note off ends the loop", 2, noteOff(0), true, 1, 32768, false},
        {"16-bit note off releases", 2, noteOff(0), true, 6, 61 * 256, false},
        {"voice volume", 2, parameterEvent(false, 0, 7, 100), true, 1, flag | 1600, false},
        {"FM voice volume", 1, parameterEvent(false, 0, 7, 100), true, 6, 1600, false},
        {"voice pitch", 2, parameterEvent(false, 0, 9, 8192), true, 3, 512, false},
        {"FM voice pitch", 1, parameterEvent(false, 0, 9, 8192), true, 4, 512, false},
        {"other parameter", 2, parameterEvent(false, 0, 8, 8192), true, 3, 256, false},
        {"instrument volume", 2, parameterEvent(true, 2, 7, 300), true, 1, flag | 300, true},
        {"instrument pitch", 1, parameterEvent(true, 1, 9, 300), true, 4, 300, true},
        {"instrument pan", 1, parameterEvent(true, 1, 10, 300), true, 19, 300, true},
        {"no such instrument", 1, parameterEvent(true, 9, 10, 300), true, 19, 16384, true},
    };
    for (const Case& c : cases) {
        play(0, {{0, noteOn(0, c.instrument, 256, 64)}, {0, c.event}});
        next();
        const auto& words = c.instrumentWord ? music->songs[0].instruments[c.instrument].words : music->voices[0].words;
        EXPECT_EQ(music->voices[0].active, c.active) << c.name;
        EXPECT_EQ(words[static_cast<std::size_t>(c.word)], c.value) << c.name;
    }
    // An instrument's change reaches the notes started on it afterwards.
    play(0, {{0, parameterEvent(true, 1, 10, 300)}, {0, noteOn(0, 1, 256, 64)}});
    next();
    EXPECT_EQ(music->voices[0].words[19], 300u);
}

// The chip's fastest clocks: 30 MHz over 64 gives 468,750 native frames a
// second (625/64 of them to each device frame) and 30,000,000 ticks, 64 to
// each native frame.
TEST_F(MusicPlay, FastestChipClocksPlay) {
    tree.description["system_clock"] = 30000000;
    tree.description["sclk"] = 0;
    tree.description["timer_prescaler"] = 0;
    tree.description["timer_divider"] = 0;
    // The second note is due at native frame 1000, the third after the mix.
    play(0, {{0, noteOn(0, 1, 256, 64)}, {64 * 1000, noteOn(1, 2, 256, 64)}, {64 * 6000, noteOn(2, 2, 256, 64)}});
    EXPECT_EQ(music->sampleRate, 468750.0);
    EXPECT_EQ(music->tickRate, 30000000.0);
    std::vector<float> out(2 * 512, 0.0f);
    music->mix(out, kRate);
    EXPECT_EQ(music->clock, 64.0 * 5000);
    EXPECT_TRUE(std::any_of(out.begin(), out.end(), [](float v) { return v != 0.0f; }));
    EXPECT_TRUE(music->voices[1].active);
    EXPECT_FALSE(music->voices[2].active);
}

// Rates no chip runs at are played, not refused: however many native frames
// or events a buffer would call for, one device frame makes at most 16
// native frames and one native frame runs at most 128 events, so the audio
// thread's work per buffer stays bounded. The score is a long run of due
// events, so the clock (64 ticks a native frame) counts the native frames
// and the event position the events run.
TEST_F(MusicPlay, HugeRatesKeepTheWorkPerBufferBounded) {
    constexpr int kDeviceFrames = 8;
    constexpr std::uint32_t kFramesPerDeviceFrame = 16;
    constexpr std::uint32_t kEventsPerFrame = 128;
    std::vector<ScoreEvent> score(kDeviceFrames * kFramesPerDeviceFrame * kEventsPerFrame + 1000,
                                  {0, parameterEvent(false, 0, 8, 0)});
    for (const double systemClock : {1e300, 1.7e308}) {
        tree.description["system_clock"] = systemClock;
        tree.description["sclk"] = 0;
        tree.description["timer_prescaler"] = 0;
        tree.description["timer_divider"] = 0;
        play(0, score);
        ASSERT_EQ(music->tickRate / music->sampleRate, 64.0) << systemClock;
        std::vector<float> out(2 * kDeviceFrames, 0.0f);
        music->mix(out, kRate);
        const auto nativeFrames = static_cast<std::uint64_t>(music->clock / 64.0);
        EXPECT_EQ(nativeFrames, kDeviceFrames * kFramesPerDeviceFrame) << systemClock;
        EXPECT_EQ(music->eventPosition / 2, nativeFrames * kEventsPerFrame) << systemClock;
    }
}

TEST_F(MusicPlay, AnyDeviceRateMakesABoundedNumberOfNativeFrames) {
    play(0, {{0, noteOn(0, 3, 256, 64)}});
    const double before = music->clock;
    std::vector<float> out(4, 0.0f);
    music->mix(out, 1);  // one frame due from the last call, then 48000
    EXPECT_EQ(music->clock - before, 1.0 + 16.0);
    EXPECT_GE(music->phase, 0.0);
    EXPECT_LT(music->phase, 48001.0);
}

}  // namespace
}  // namespace bastion
