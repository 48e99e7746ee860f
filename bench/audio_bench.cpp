#include <benchmark/benchmark.h>

#include <SDL.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "allocation_counter.h"
#include "audio/audio.h"
#include "audio/music.h"
#include "contentgen/effect_sounds.h"
#include "contentgen/json_file.h"
#include "contentgen/music_content.h"
#include "contentgen/music_instruments.h"
#include "contentgen/score_events.h"
#include "contentgen/synth_waves.h"
#include "world/world.h"

namespace {

namespace cg = bastion::contentgen;

constexpr unsigned kDeviceRate = 48000;
constexpr int kBufferFrames = 512;

// The demo music and effects, with one song (every mission's) that holds all
// eight voices for ever: FM voices (the dearer kind) whose envelopes loop.
// A hostile tree asks the most a music file can of one buffer: clocks far
// beyond any chip's, so each device frame makes the mixer's most native
// frames, and behind the notes a loop of due events that never ends, so each
// native frame runs the sequencer's most events.
class BusyMusicTree {
public:
    explicit BusyMusicTree(bool hostile = false)
        : root_(std::filesystem::temp_directory_path() /
                ("bastion-bench-music-" + std::string(hostile ? "hostile-" : "") + std::to_string(::getpid()))) {
        const std::filesystem::path retail = root_ / "retail";
        cg::writeMusic(retail);
        cg::writeEffects(retail);
        cg::writeSystemFolder(retail);
        nlohmann::json description = cg::musicClocks();
        description["mission_tracks"] = std::vector<int>(16, 0);
        nlohmann::json bank = cg::instrumentBank();
        for (const std::uint32_t fm : {cg::kPiano, cg::kBell}) {
            bank[fm]["words"][6] = bank[fm]["words"][6].get<std::uint32_t>() | 0x80000000u;
            bank[fm]["words"][13] = 4 * 65536;
        }
        for (int song = 0; song < 7; ++song) description["modules"].push_back({{"instruments", bank}});
        std::vector<cg::ScoreEvent> score;
        for (std::uint32_t voice = 0; voice < 8; ++voice)
            score.push_back({0, cg::noteOn(voice, voice % 2 ? cg::kPiano : cg::kBell, cg::notePitch(48 + 5 * voice), 100)});
        if (hostile) {
            description["system_clock"] = 1e300;
            description["sclk"] = 0;
            description["timer_prescaler"] = 0;
            description["timer_divider"] = 0;
            constexpr std::int32_t kLooped = 200;  // more than one native frame runs
            for (std::int32_t i = 0; i < kLooped - 1; ++i) score.push_back({0, cg::parameterEvent(false, 0, 8, 0)});
            score.push_back({0, cg::loopEvent(cg::kEndlessLoop, -kLooped)});
        }
        cg::writeJsonFile(retail / "audio/music.json", description);
        cg::writeScore(retail / "audio/score-14.bin", score);
    }
    ~BusyMusicTree() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    std::filesystem::path retail() const { return root_ / "retail"; }

private:
    std::filesystem::path root_;
};

const BusyMusicTree& busyTree() {
    static const BusyMusicTree tree;
    return tree;
}

const BusyMusicTree& hostileTree() {
    static const BusyMusicTree tree(true);
    return tree;
}

void reportShare(benchmark::State& state, std::uint64_t allocations) {
    if (allocations != 0) state.SkipWithError("mixing allocated");
    state.counters["allocations"] = static_cast<double>(allocations);
    state.counters["buffer_share"] = benchmark::Counter(static_cast<double>(kBufferFrames) / kDeviceRate,
                                                        benchmark::Counter::kIsIterationInvariantRate |
                                                            benchmark::Counter::kInvert);
}

// Mixes one device buffer of the tree's song 0 per iteration; the
// "buffer_share" counter is the share of the buffer's 10.7 ms that mixing it
// takes.
void mixBuffers(benchmark::State& state, const BusyMusicTree& tree) {
    bastion::Music music(tree.retail());
    music.select(0);
    std::vector<float> out(2 * kBufferFrames);
    music.mix(out, kDeviceRate);
    int sounding = 0;
    for (const bastion::Music::Voice& voice : music.voices) sounding += voice.active;
    if (sounding != bastion::Music::kVoices) state.SkipWithError("not every voice sounds");
    const std::uint64_t before = bastion::bench::allocationsOnThisThread();
    for (auto _ : state) {
        music.mix(out, kDeviceRate);
        benchmark::DoNotOptimize(out.data());
    }
    reportShare(state, bastion::bench::allocationsOnThisThread() - before);
}

// One device buffer of music with every voice sounding.
void BM_MusicMix512(benchmark::State& state) { mixBuffers(state, busyTree()); }
BENCHMARK(BM_MusicMix512);

// One device buffer of the hostile music: the most work a buffer can take,
// whatever the music file says.
void BM_HostileMusicMix512(benchmark::State& state) { mixBuffers(state, hostileTree()); }
BENCHMARK(BM_HostileMusicMix512);

// SDL's audio callback for one 512-frame buffer: the busy music, 24 long
// effect voices, the alarm and the limiter, on a paused
// dummy device so that only the benchmark mixes.
void BM_AudioCallback512(benchmark::State& state) {
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    bastion::Audio audio(busyTree().retail());
    if (audio.device == 0 || !audio.music) {
        state.SkipWithError("no device or no music");
        return;
    }
    SDL_PauseAudioDevice(audio.device, 1);
    bastion::World world;
    world.missionIndex = 0;
    world.pilot.status = bastion::kStatusKilled;
    for (int i = 0; i < 24; ++i)
        world.sounds.push_back({bastion::SoundEvent::kLargeExplosion, 0,
                                world.pilot.position + bastion::Vec3{static_cast<float>(i * 3 - 36), 4.0f, -20.0f}});
    audio.update(world, true, false);
    if (audio.voices.size() != bastion::Audio::kMaxVoices) state.SkipWithError("not every effect voice plays");
    std::vector<float> out(2 * kBufferFrames);
    const int bytes = static_cast<int>(out.size() * sizeof(float));
    const std::uint64_t before = bastion::bench::allocationsOnThisThread();
    for (auto _ : state) {
        for (bastion::Audio::Voice& voice : audio.voices) voice.position = 0;  // keep all 24 sounding
        audio.alarmTime = 0.0;
        bastion::Audio::callback(&audio, reinterpret_cast<std::uint8_t*>(out.data()), bytes);
        benchmark::DoNotOptimize(out.data());
    }
    reportShare(state, bastion::bench::allocationsOnThisThread() - before);
}
BENCHMARK(BM_AudioCallback512);

}  // namespace
