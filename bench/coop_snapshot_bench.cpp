// Encoding and decoding of a co-op world snapshot of the busiest demo mission
// in play, with its size as sent (CBOR) and after ENet's range coder, which
// compresses each datagram of at most one MTU's payload.
#include <algorithm>
#include <vector>

#include <benchmark/benchmark.h>
#include <enet/enet.h>

#include "coop/internal/world_codec.h"
#include "demo_tree.h"

namespace {

using bastion::World;
using nlohmann::json;

constexpr double kSnapshotsPerSecond = 20.0;  // every third step at 60 steps a second
constexpr std::size_t kDatagramPayload = 1392;

// The demo mission with the most targets, its enemies awake and fighting a
// firing pilot for five seconds, so projectiles and effects are in flight.
World& busyMission() {
    static World world = [] {
        const auto pick = bastion::bench::topDemoMission([](const World& w) { return w.targets.size(); });
        World loaded;
        loaded.loadMission(bastion::bench::demoTreeRoot(), pick.mission, pick.campaign, true);
        for (bastion::Target& t : loaded.targets)
            if (t.unitType >= 0 && !t.derived) t.active = true;
        bastion::Input input;
        input.fire[0] = input.fire[2] = input.fire[4] = true;
        input.axes[0] = 0.3f;
        for (int frame = 0; frame < 300; ++frame) loaded.step(input, 1.0f / 60.0f, true);
        return loaded;
    }();
    return world;
}

std::size_t rangeCoded(const std::vector<std::uint8_t>& bytes) {
    void* coder = enet_range_coder_create();
    std::vector<std::uint8_t> out(kDatagramPayload * 2);
    std::size_t total = 0;
    for (std::size_t at = 0; at < bytes.size(); at += kDatagramPayload) {
        ENetBuffer buffer;
        buffer.data = const_cast<std::uint8_t*>(bytes.data() + at);
        buffer.dataLength = std::min(kDatagramPayload, bytes.size() - at);
        const std::size_t packed = enet_range_coder_compress(coder, &buffer, 1, buffer.dataLength, out.data(), out.size());
        total += packed == 0 ? buffer.dataLength : packed;  // ENet sends a chunk raw when it does not shrink
    }
    enet_range_coder_destroy(coder);
    return total;
}

void report(benchmark::State& state, const std::vector<std::uint8_t>& bytes) {
    const World& world = busyMission();
    state.counters["targets"] = static_cast<double>(world.targets.size());
    state.counters["projectiles"] = static_cast<double>(world.projectiles.size());
    state.counters["effects"] = static_cast<double>(world.effects.size());
    state.counters["cbor_bytes"] = static_cast<double>(bytes.size());
    const std::size_t coded = rangeCoded(bytes);
    state.counters["wire_bytes"] = static_cast<double>(coded);
    state.counters["wire_kB_per_s"] = static_cast<double>(coded) * kSnapshotsPerSecond / 1000.0;
}

void BM_SnapshotEncode(benchmark::State& state) {
    const World& world = busyMission();
    std::vector<std::uint8_t> bytes;
    for (auto _ : state) {
        bytes = json::to_cbor(bastion::coop::worldWire(world));
        benchmark::DoNotOptimize(bytes.data());
    }
    report(state, bytes);
}
BENCHMARK(BM_SnapshotEncode)->Unit(benchmark::kMicrosecond);

void BM_SnapshotDecode(benchmark::State& state) {
    World& world = busyMission();
    const std::vector<std::uint8_t> bytes = json::to_cbor(bastion::coop::worldWire(world));
    for (auto _ : state) {
        bastion::coop::worldRead(json::from_cbor(bytes), world);
        world.sounds.clear();
    }
    report(state, bytes);
}
BENCHMARK(BM_SnapshotDecode)->Unit(benchmark::kMicrosecond);

}  // namespace
