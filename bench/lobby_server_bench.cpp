// The lobby server at full load: 32 rooms of 4 players on loopback, every
// room in a mission, every client sending input 30 times a second. Measures
// the server's step alone (the clients' own work is outside the timing) and
// the snapshot bytes each client receives.
#include <algorithm>
#include <chrono>
#include <ctime>
#include <stdexcept>
#include <memory>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "coop/internal/input_codec.h"
#include "coop/server.h"
#include "coop/transport.h"
#include "demo_tree.h"

namespace {

using bastion::coop::Event;
using bastion::coop::Transport;
using nlohmann::json;

constexpr int kRooms = 32;
constexpr int kPerRoom = 4;
constexpr float kTick = 1.0f / 60.0f;

struct Client {
    Transport transport{false, "0.0.0.0", 0};
    ENetPeer* peer = nullptr;
    bool connected = false;
    std::vector<json> lobby;  // channel 0 messages not yet read
    std::size_t snapshotBytes = 0;
    std::size_t snapshots = 0;

    void pump() {
        for (Event& e : transport.poll()) {
            if (e.kind == Event::kConnect) connected = true;
            if (e.kind != Event::kMessage) continue;
            if (e.channel == bastion::coop::kSnapshotChannel) {
                snapshotBytes += json::to_cbor(e.message).size();
                ++snapshots;
            } else {
                lobby.push_back(std::move(e.message));
            }
        }
    }
    void send(const json& message, std::uint8_t channel = 0) {
        transport.send(peer, message, channel);
        transport.flush();
    }
    // The newest "state" on channel 0 that satisfies `wanted`, null when none arrived.
    template <class Wanted>
    json lastState(Wanted wanted) {
        json found;
        for (json& m : lobby)
            if (m.value("type", "") == "state" && wanted(m)) found = std::move(m);
        lobby.clear();
        return found;
    }
};

constexpr std::chrono::seconds kPatience{60};

struct Load {
    // Every client connects from 127.0.0.1: one address holds them all.
    bastion::coop::Server server{bastion::bench::demoTreeRoot(), "127.0.0.1", 0, 0,
                                 {bastion::coop::kServerPeerSlots, bastion::coop::kMaxRooms}};
    std::vector<std::unique_ptr<Client>> clients;

    void pumpAll(int steps) {
        for (int i = 0; i < steps; ++i) {
            server.step(kTick);
            for (auto& c : clients) c->pump();
        }
    }

    // Steps until `host` holds a state that satisfies `wanted`. The wait is
    // bounded in time, not in steps: a loaded machine (the sanitized test
    // build beside other tests) takes many steps to deliver.
    template <class Wanted>
    json awaitState(Client& host, Wanted wanted) {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (std::chrono::steady_clock::now() < deadline) {
            pumpAll(1);
            json state = host.lastState(wanted);
            if (!state.is_null()) return state;
        }
        throw std::runtime_error("The lobby server did not answer");
    }

    Load() {
        const std::string address = "127.0.0.1:" + std::to_string(server.report()["port"].get<unsigned>());
        for (int i = 0; i < kRooms * kPerRoom; ++i) {
            clients.push_back(std::make_unique<Client>());
            clients.back()->peer = clients.back()->transport.connect(address);
        }
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (std::chrono::steady_clock::now() < deadline) {
            pumpAll(1);
            if (std::all_of(clients.begin(), clients.end(), [](const auto& c) { return c->connected; })) break;
        }
        for (int r = 0; r < kRooms; ++r) {
            Client& host = *clients[r * kPerRoom];
            host.send({{"op", "create"}, {"version", bastion::coop::kProtocolMagic}, {"completed", 0}});
            const std::string code = awaitState(host, [](const json&) { return true; })["code"];
            for (int k = 1; k < kPerRoom; ++k)
                clients[r * kPerRoom + k]->send({{"op", "join"}, {"version", bastion::coop::kProtocolMagic}, {"code", code}});
            awaitState(host, [](const json& s) { return s["players"].size() == kPerRoom; });
            host.send({{"op", "select"}, {"mission", 2}});
            const json briefing = awaitState(host, [](const json& s) { return s["phase"] == 1; });
            for (int k = 0; k < kPerRoom; ++k)
                clients[r * kPerRoom + k]->send({{"op", "ready"},
                                                  {"selection", briefing["selection"]},
                                                  {"loadout", {0, 1, 0, 0, 0, 0}},
                                                  {"ready", true}});
            awaitState(host, [](const json& s) { return s["phase"] == 2; });
        }
    }
};

double threadCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void BM_LobbyServerFullLoad(benchmark::State& state) {
    Load load;
    int deployed = 0;
    const json report = load.server.report();
    for (const json& room : report["rooms"]) deployed += room["phase"] == 2 ? 1 : 0;
    bastion::Input walking;
    walking.axes[1] = 0.5f;
    walking.fire[1] = true;
    const json input = {{"op", "input"}, {"round", 1}, {"input", bastion::coop::inputWire(walking)}};
    for (auto& c : load.clients) c->snapshotBytes = c->snapshots = 0;
    std::uint64_t steps = 0;
    double stepSeconds = 0.0;
    for (auto _ : state) {
        // Each client sends input every second step: 30 a second.
        for (std::size_t i = steps % 2; i < load.clients.size(); i += 2)
            load.clients[i]->send(input, bastion::coop::kInputChannel);
        // The server's CPU time, not the wall clock: on a busy machine the
        // step waits for a core, which is no cost of the server's own.
        const double start = threadCpuSeconds();
        load.server.step(kTick);
        const double spent = threadCpuSeconds() - start;
        stepSeconds += spent;
        state.SetIterationTime(spent);
        for (auto& c : load.clients) c->pump();
        ++steps;
    }
    std::size_t bytes = 0;
    for (auto& c : load.clients) bytes += c->snapshotBytes;
    const double seconds = static_cast<double>(steps) * kTick;
    state.counters["rooms_deployed"] = deployed;
    state.counters["core_share_at_60_steps"] = stepSeconds / static_cast<double>(steps) * 60.0;
    state.counters["snapshot_kB_per_client_s"] =
        static_cast<double>(bytes) / static_cast<double>(load.clients.size()) / seconds / 1000.0;
}
BENCHMARK(BM_LobbyServerFullLoad)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
