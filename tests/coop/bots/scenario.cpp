#include "coop/bots/scenario.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>
#include <csignal>
#include <iostream>
#include <memory>
#include <mutex>
#include <regex>
#include <thread>
#include <vector>

#include <sys/resource.h>

#include "coop/bots/bot.h"
#include "coop/bots/garbage_flood.h"
#include "coop/bots/jitter_proxy.h"
#include "coop/bots/process_usage.h"
#include "coop/lobby_process.h"

namespace bastion::coopbots {
namespace {

using nlohmann::json;
using coop::testing::LobbyProcess;
using namespace std::chrono_literals;

constexpr std::size_t kRoomSize = 4;
constexpr std::size_t kServerPeerSlots = 128;
constexpr double kNominalSnapshots = 20.0;  // 60 steps a second, a snapshot every third
constexpr auto kSetupLimit = 60s;
constexpr auto kDrain = 1s;
constexpr auto kRefusalWait = 12s;  // past both the client's and ENet's time-outs

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void log(const std::string& text) { std::cerr << "coopbots: " << text << std::endl; }

// Reads the server's output on its own thread, so the pipe never fills and
// stalls the server, and keeps the latest report.
class ReportReader {
public:
    explicit ReportReader(LobbyProcess& process)
        : pid_(process.pid()), thread_([this, &process] {
              while (const auto line = process.line(std::chrono::hours(1))) {
                  json report = json::parse(*line, nullptr, false);
                  if (!report.is_object()) continue;
                  std::lock_guard<std::mutex> lock(mutex_);
                  latest_ = std::move(report);
              }
              done_ = true;
          }) {}
    // A server still running here (the run failed half-way) is killed, so
    // that its output ends.
    ~ReportReader() {
        if (!waitForEnd(2s)) ::kill(pid_, SIGKILL);
        thread_.join();
    }
    json latest() {
        std::lock_guard<std::mutex> lock(mutex_);
        return latest_;
    }
    // The last report once the server's output has ended.
    json closing() {
        waitForEnd(10s);
        return latest();
    }

private:
    bool waitForEnd(Clock::duration limit) {
        const Clock::time_point deadline = Clock::now() + limit;
        while (!done_ && Clock::now() < deadline) std::this_thread::sleep_for(5ms);
        return done_;
    }

    pid_t pid_;
    std::mutex mutex_;
    json latest_ = json::object();
    std::atomic<bool> done_{false};
    std::thread thread_;
};

// Four bots: the host first, the others once the host has its code.
struct Room {
    std::vector<std::unique_ptr<Bot>> bots;
    std::atomic<bool> deployed{false};
    std::map<std::string, std::uint64_t> failures;  // bots that could not start
};

struct Target {
    std::string lobby;           // "127.0.0.1:port", maybe the proxy's
    std::uint16_t voicePort = 0;  // the proxy's voice port, or 0
};

std::string botName(std::size_t room, std::size_t member) {
    return "Bot" + std::to_string(room) + "-" + std::to_string(member);
}

void startRoom(Room& room, std::size_t index, const Target& target, unsigned seed) {
    room.bots.push_back(std::make_unique<Bot>(target.lobby, true, "", target.voicePort,
                                              seed * 7919u + static_cast<unsigned>(index * kRoomSize),
                                              botName(index, 0)));
}

void driveRoom(Room& room, std::size_t index, const Target& target, unsigned seed, bool measuring, bool draining) {
    const Clock::time_point now = Clock::now();
    if (!room.bots.empty() && room.bots.size() < kRoomSize && !room.bots[0]->client().code.empty()) {
        const std::string code = room.bots[0]->client().code;
        for (std::size_t member = room.bots.size(); member < kRoomSize; ++member) {
            try {
                room.bots.push_back(std::make_unique<Bot>(
                    target.lobby, false, code, target.voicePort,
                    seed * 7919u + static_cast<unsigned>(index * kRoomSize + member), botName(index, member)));
            } catch (const std::exception& failure) {
                ++room.failures[failure.what()];
                break;
            }
        }
    }
    bool deployed = room.bots.size() == kRoomSize;
    for (auto& bot : room.bots) {
        bot->frame(now, measuring, draining);
        deployed = deployed && bot->phase() == 2;
    }
    if (deployed) room.deployed = true;
}

double percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(share * static_cast<double>(values.size())));
    return values[std::min(values.size() - 1, rank == 0 ? 0 : rank - 1)];
}

// A client beyond the server's peer slots: true when it never connected.
json probeExtraClient(const Target& target) {
    coop::Client extra(target.lobby, true, Progression{}, "Extra", "");
    const Clock::time_point deadline = Clock::now() + kRefusalWait;
    while (Clock::now() < deadline && !extra.connected && extra.message.empty()) {
        extra.update(0.01f, nullptr);
        std::this_thread::sleep_for(10ms);
    }
    return {{"connected", extra.connected}, {"status", extra.message}};
}

}  // namespace

json run(const Scenario& scenario, const RunOptions& options) {
    const Clock::time_point serverStart = Clock::now();
    // Every bot connects from 127.0.0.1, so that one address holds them all.
    LobbyProcess server({"--bind", "127.0.0.1", "--port", "0", "--retail", options.retail, "--peers-per-address",
                         std::to_string(kServerPeerSlots), "--rooms-per-address", std::to_string(kServerPeerSlots / kRoomSize)},
                        options.server);
    const auto banner = server.line(30s);
    std::smatch match;
    if (!banner || !std::regex_search(*banner, match, std::regex("port (\\d+), voice port (\\d+)")))
        throw std::runtime_error("The lobby server did not start: " + server.errorLine(1s).value_or("no output"));
    const auto lobbyPort = static_cast<std::uint16_t>(std::stoi(match[1]));
    const auto voicePort = static_cast<std::uint16_t>(std::stoi(match[2]));
    ReportReader reports(server);
    if (options.priority && ::setpriority(PRIO_PROCESS, static_cast<id_t>(server.pid()), *options.priority) != 0)
        throw std::runtime_error("Cannot give the server priority " + std::to_string(*options.priority));

    std::unique_ptr<JitterProxy> proxy;
    Target target{"127.0.0.1:" + std::to_string(lobbyPort), 0};
    if (scenario.loss > 0.0 || scenario.jitterMs > 0.0) {
        proxy = std::make_unique<JitterProxy>(lobbyPort, voicePort, scenario.loss,
                                              std::chrono::microseconds(static_cast<long>(scenario.jitterMs * 1000.0)),
                                              options.seed);
        target = {"127.0.0.1:" + std::to_string(proxy->lobbyPort()), proxy->voicePort()};
    }

    std::vector<std::unique_ptr<Room>> rooms;
    for (std::size_t i = 0; i < scenario.rooms; ++i) {
        rooms.push_back(std::make_unique<Room>());
        startRoom(*rooms.back(), i, target, options.seed);
    }
    std::atomic<bool> measuring{false}, draining{false}, stopping{false};
    std::vector<std::thread> workers;
    const std::size_t workerCount = std::max<std::size_t>(1, std::min(options.workers, rooms.size()));
    for (std::size_t w = 0; w < workerCount; ++w) {
        workers.emplace_back([&, w] {
            while (!stopping) {
                for (std::size_t i = w; i < rooms.size(); i += workerCount)
                    driveRoom(*rooms[i], i, target, options.seed, measuring, draining);
                std::this_thread::sleep_for(1ms);
            }
        });
    }

    const Clock::time_point setupStart = Clock::now();
    const auto allDeployed = [&] {
        return std::all_of(rooms.begin(), rooms.end(), [](const auto& room) { return room->deployed.load(); });
    };
    while (!allDeployed() && Clock::now() - setupStart < kSetupLimit) std::this_thread::sleep_for(50ms);
    const bool deployed = allDeployed();
    const double setupSeconds = seconds(Clock::now() - setupStart);
    log(scenario.name + ": " + std::to_string(rooms.size()) + " rooms " + (deployed ? "deployed" : "NOT all deployed") +
        " after " + std::to_string(setupSeconds) + " s");

    json extraClient;
    std::thread extraProbe;
    if (rooms.size() * kRoomSize == kServerPeerSlots)
        extraProbe = std::thread([&] { extraClient = probeExtraClient(target); });

    const ProcessUsage before = processUsage(server.pid());
    std::unique_ptr<GarbageFlood> flood;
    if (scenario.flood) flood = std::make_unique<GarbageFlood>(lobbyPort, voicePort, scenario.floodPlan, options.seed);
    const Clock::time_point windowStart = Clock::now();
    measuring = true;
    Clock::time_point resumedAt{};
    if (scenario.stopSeconds > 0.0) {
        std::this_thread::sleep_until(windowStart + std::chrono::duration<double>(scenario.stopAt));
        log("server stopped for " + std::to_string(scenario.stopSeconds) + " s");
        ::kill(server.pid(), SIGSTOP);
        std::this_thread::sleep_for(std::chrono::duration<double>(scenario.stopSeconds));
        ::kill(server.pid(), SIGCONT);
        resumedAt = Clock::now();
    }
    std::this_thread::sleep_until(windowStart + std::chrono::duration<double>(scenario.seconds));
    measuring = false;
    draining = true;
    const double window = seconds(Clock::now() - windowStart);
    const ProcessUsage after = processUsage(server.pid());
    const std::uint64_t floodToLobby = flood ? flood->sentToLobby() : 0;
    const std::uint64_t floodToVoice = flood ? flood->sentToVoice() : 0;
    flood.reset();
    std::this_thread::sleep_for(kDrain);
    draining = false;
    stopping = true;
    for (auto& worker : workers) worker.join();
    if (extraProbe.joinable()) extraProbe.join();

    // After a stall the server must take a new room through to a mission.
    json recovery;
    if (scenario.stopSeconds > 0.0) {
        Room fresh;
        const std::size_t index = rooms.size();
        startRoom(fresh, index, target, options.seed);
        const Clock::time_point start = Clock::now();
        while (!fresh.deployed && Clock::now() - start < 30s) {
            driveRoom(fresh, index, target, options.seed, false, false);
            std::this_thread::sleep_for(2ms);
        }
        recovery = {{"new_room_deployed", fresh.deployed.load()}, {"seconds", seconds(Clock::now() - start)}};
    }
    const json last = reports.latest();

    // The server's closing report carries the step times of the whole run.
    if (!server.stop(SIGTERM, 10s)) server.stop(SIGKILL, 5s);
    const double serverSeconds = seconds(Clock::now() - serverStart);
    json final = reports.closing();
    if (!final.contains("step")) final = last;

    // Gather what the bots saw.
    std::vector<double> rates, latencies, frameRates;
    BotStats total;
    std::size_t bots = 0, lost = 0, resumed = 0;
    std::map<std::string, std::uint64_t> disconnects, errors;
    for (const auto& room : rooms) {
        for (const auto& [text, count] : room->failures) errors["bot could not start: " + text] += count;
        for (const auto& bot : room->bots) {
            const BotStats& s = bot->stats;
            ++bots;
            rates.push_back(static_cast<double>(s.snapshots) / window);
            frameRates.push_back(static_cast<double>(s.frames) / window);
            latencies.insert(latencies.end(), s.latencyMs.begin(), s.latencyMs.end());
            total.snapshots += s.snapshots;
            total.nominalGaps += s.nominalGaps;
            total.longGaps += s.longGaps;
            total.longestGap = std::max(total.longestGap, s.longestGap);
            total.unanswered += s.unanswered;
            total.voiceSent += s.voiceSent;
            total.voiceExpected += s.voiceExpected;
            total.voiceReceived += s.voiceReceived;
            if (s.lost) {
                ++lost;
                ++disconnects[std::to_string(s.disconnectData) + ": " + s.status];
            }
            if (resumedAt != Clock::time_point{} && s.lastSnapshot > resumedAt) ++resumed;
            for (const auto& [text, count] : s.errors) errors[text] += count;
        }
    }
    double meanRate = 0.0;
    for (double r : rates) meanRate += r / static_cast<double>(std::max<std::size_t>(1, rates.size()));
    const json relay = final.value("voice", json::object());
    const double expected = static_cast<double>(total.voiceExpected);
    const double forwarded = relay.value("forwarded", 0.0);
    const json step = final.value("step", json::object());

    json summary = {
        {"scenario", scenario.name},
        {"rooms", rooms.size()},
        {"bots", bots},
        {"setup_s", setupSeconds},
        {"window_s", window},
        {"server",
         {{"step", step},
          {"step_cpu", final.value("step_cpu", json::object())},
          {"steps_per_s", step.value("steps", 0.0) / serverSeconds},
          {"cpu_percent", cpuPercent(before, after)},
          {"rss_mb", after.residentMb},
          {"peak_rss_mb", after.peakResidentMb},
          {"foreign_datagrams", final.value("foreign_datagrams", 0)},
          {"service_errors", final.value("service_errors", 0)},
          {"overflowed_datagrams", final.value("overflowed_datagrams", json())},
          {"snapshots_skipped", final.value("snapshots_skipped", 0)},
          {"peers_before_exit", last.value("peers", 0)}}},
        {"snapshots",
         {{"nominal_per_s", kNominalSnapshots},
          {"per_client_per_s", {{"min", percentile(rates, 0.0)}, {"p50", percentile(rates, 0.5)}, {"mean", meanRate}}},
          {"tick_gaps", {{"nominal", total.nominalGaps}, {"longer", total.longGaps}, {"longest", total.longestGap}}}}},
        {"input_to_state_ms",
         {{"samples", latencies.size()},
          {"p50", percentile(latencies, 0.5)},
          {"p99", percentile(latencies, 0.99)},
          {"max", percentile(latencies, 1.0)},
          {"unanswered", total.unanswered}}},
        {"voice",
         {{"sent", total.voiceSent},
          {"expected_forwards", total.voiceExpected},
          {"relay", relay},
          {"received", total.voiceReceived},
          {"forwarded_share", expected > 0 ? forwarded / expected : 0.0},
          {"received_share", expected > 0 ? static_cast<double>(total.voiceReceived) / expected : 0.0}}},
        {"bot_frames_per_s", {{"min", percentile(frameRates, 0.0)}, {"p50", percentile(frameRates, 0.5)}}},
        {"disconnects", disconnects},
        {"errors", errors},
    };
    if (scenario.flood) {
        const FloodPlan& plan = scenario.floodPlan;
        summary["flood"] = {{"sent", {{"lobby", floodToLobby}, {"voice", floodToVoice}}},
                            {"reached_per_s", {{"lobby", static_cast<double>(floodToLobby) / window},
                                               {"voice", static_cast<double>(floodToVoice) / window}}},
                            {"asked_per_port_per_s", plan.perSecond > 0.0 ? json(plan.perSecond) : json("max")},
                            {"sockets", plan.sockets},
                            {"bytes", {plan.sizes.smallest, plan.sizes.largest}}};
    }
    if (proxy) {
        const JitterProxy::Counts counts = proxy->counts();
        summary["proxy"] = {{"loss", scenario.loss}, {"jitter_ms", scenario.jitterMs},
                            {"forwarded", counts.forwarded}, {"dropped", counts.dropped}};
    }
    if (!extraClient.is_null()) summary["extra_client"] = extraClient;
    if (scenario.stopSeconds > 0.0) {
        summary["stop"] = {{"seconds", scenario.stopSeconds}, {"clients_with_snapshots_after", resumed}};
        summary["stop"]["recovery"] = recovery;
    }

    json checks = json::array();
    const auto check = [&](const std::string& name, bool pass, const json& detail) {
        checks.push_back({{"name", name}, {"pass", pass}, {"detail", detail}});
    };
    check("every room deployed", deployed, setupSeconds);
    const std::size_t exceptions = std::count_if(errors.begin(), errors.end(), [](const auto& entry) {
        return entry.first.rfind("exception: ", 0) == 0 || entry.first.rfind("bot could not start", 0) == 0;
    });
    check("no client failed", exceptions == 0, exceptions);
    if (scenario.expectLost) {
        check("every client reported the lost connection", lost == bots, lost);
        check("a new room deploys after the stall", recovery.value("new_room_deployed", false), recovery);
    } else {
        check("no disconnect", lost == 0, lost);
    }
    const std::size_t silent = std::count(rates.begin(), rates.end(), 0.0);
    if (!scenario.expectLost) check("every client saw snapshots", silent == 0 && bots > 0, silent);
    check("voice reached the listeners", total.voiceReceived > 0, total.voiceReceived);
    if (scenario.snapshotShare > 0.0)
        check("snapshot rate", percentile(rates, 0.0) >= scenario.snapshotShare * kNominalSnapshots,
              {{"min_per_s", percentile(rates, 0.0)}, {"needed", scenario.snapshotShare * kNominalSnapshots}});
    if (scenario.voiceTolerance >= 0.0) {
        const double received = static_cast<double>(total.voiceReceived);
        check("voice fan-out", expected > 0 && forwarded >= expected * (1.0 - scenario.voiceTolerance) &&
                                   received >= expected * (1.0 - scenario.voiceTolerance),
              {{"expected", total.voiceExpected}, {"forwarded", forwarded}, {"received", total.voiceReceived}});
    }
    if (scenario.stepP99Ms > 0.0)
        check("step p99 bounded", step.value("p99_ms", 1e9) <= scenario.stepP99Ms,
              {{"p99_ms", step.value("p99_ms", 0.0)}, {"bound_ms", scenario.stepP99Ms}});
    if (scenario.flood) {
        // Datagrams too long for ENet end up as service errors, not as foreign.
        const std::uint64_t lobbyDropped =
            final.value("foreign_datagrams", std::uint64_t{0}) + final.value("service_errors", std::uint64_t{0});
        const std::uint64_t voiceDropped = relay.value("rejected", std::uint64_t{0});
        check("garbage rejected on the flooded ports",
              (!scenario.floodPlan.lobby || lobbyDropped > 0) && (!scenario.floodPlan.voice || voiceDropped > 0),
              {{"lobby", lobbyDropped}, {"voice", voiceDropped}});
    }
    if (scenario.stopSeconds > 0.0 && !scenario.expectLost)
        check("every client has snapshots after the stop", resumed == bots, resumed);
    if (!extraClient.is_null()) check("the client beyond the slots is refused", !extraClient.value("connected", true), extraClient);

    const bool pass = std::all_of(checks.begin(), checks.end(), [](const json& c) { return c["pass"].get<bool>(); });
    summary["checks"] = checks;
    summary["pass"] = pass;
    return summary;
}

}  // namespace bastion::coopbots
