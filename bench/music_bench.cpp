#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <vector>

#include "allocation_counter.h"
#include "audio/music.h"
#include "contentgen/json_file.h"
#include "contentgen/music_content.h"
#include "contentgen/music_instruments.h"
#include "contentgen/score_events.h"
#include "contentgen/synth_waves.h"

namespace {

namespace cg = bastion::contentgen;

constexpr unsigned kDeviceRate = 48000;
constexpr int kBufferFrames = 512;

// The demo music with one song that holds all eight voices for ever: FM
// voices (the dearer kind) whose envelopes loop.
class BusyMusicTree {
public:
    BusyMusicTree()
        : root_(std::filesystem::temp_directory_path() / ("bastion-bench-music-" + std::to_string(::getpid()))) {
        const std::filesystem::path retail = root_ / "retail";
        cg::writeMusic(retail);
        cg::writeSystemFolder(retail);
        nlohmann::json description = cg::musicClocks();
        description["mission_tracks"] = std::vector<int>(16, 0);
        nlohmann::json bank = cg::instrumentBank();
        for (const std::uint32_t fm : {cg::kPiano, cg::kBell}) {
            bank[fm]["words"][6] = bank[fm]["words"][6].get<std::uint32_t>() | 0x80000000u;
            bank[fm]["words"][13] = 4 * 65536;
        }
        for (int song = 0; song < 7; ++song) description["modules"].push_back({{"instruments", bank}});
        cg::writeJsonFile(retail / "audio/music.json", description);
        std::vector<cg::ScoreEvent> score;
        for (std::uint32_t voice = 0; voice < 8; ++voice)
            score.push_back({0, cg::noteOn(voice, voice % 2 ? cg::kPiano : cg::kBell, cg::notePitch(48 + 5 * voice), 100)});
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

// One device buffer of music with every voice sounding; the "buffer_share"
// counter is the share of the buffer's 10.7 ms that mixing it takes.
void BM_MusicMix512(benchmark::State& state) {
    static const BusyMusicTree tree;
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
    const std::uint64_t allocations = bastion::bench::allocationsOnThisThread() - before;
    if (allocations != 0) state.SkipWithError("mixing allocated");
    state.counters["allocations"] = static_cast<double>(allocations);
    state.counters["buffer_share"] = benchmark::Counter(static_cast<double>(kBufferFrames) / kDeviceRate,
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}
BENCHMARK(BM_MusicMix512);

}  // namespace
