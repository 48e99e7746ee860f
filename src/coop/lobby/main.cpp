// stormbastion-lobby: the co-op lobby server and its voice relay, headless.
// Steps one Server at a fixed pace until SIGINT or SIGTERM.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>

#include <time.h>

#include "coop/internal/step_pace.h"
#include "coop/internal/step_times.h"
#include "coop/lobby/report_writer.h"
#include "coop/server.h"
#include "coop/transport.h"
#include "platform/executable_folder.h"
#include "shell/shared/retail_choice.h"

namespace {

using Clock = bastion::coop::StepClock;
using bastion::coop::kStepPeriod;

constexpr float kMaxStep = 0.1f;
constexpr auto kReportPeriod = std::chrono::seconds(10);

constexpr const char* kUsage =
    "Usage: stormbastion-lobby [options]\n"
    "Runs the co-op lobby server and its voice relay.\n"
    "  --bind ADDRESS    address to listen on (default 0.0.0.0: every interface)\n"
    "  --port N          lobby port, 0 for any free one (default 29597)\n"
    "  --voice-port N    voice relay port (default the lobby port plus one)\n"
    "  --retail PATH     asset root with the mission files (default the game's retail folder)\n"
    "  --peers-per-address N  connections one address may hold (default 16)\n"
    "  --rooms-per-address N  lobbies hosted from one address (default 4)\n"
    "  --help            this text\n"
    "Prints one line naming its ports, then the server's report as one JSON line\n"
    "every 10 seconds and at exit, with the step times since start: wall clock\n"
    "(\"step\") and processor time (\"step_cpu\").\n"
    "SIGINT or SIGTERM stops it.\n";

std::atomic<bool> stopping{false};

extern "C" void requestStop(int) { stopping.store(true); }

struct Options {
    std::string bind = "0.0.0.0";
    std::uint16_t port = bastion::coop::kDefaultLobbyPort;
    std::uint16_t voicePort = 0;  // 0: the lobby's bound port plus one
    std::filesystem::path retail;
    bastion::coop::AddressLimits limits;
    bool help = false;
};

std::uint16_t portArgument(const std::string& option, const std::string& text) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos ||
        std::stoul(text) > 65535)
        throw std::runtime_error(option + " needs a port number from 0 to 65535");
    return static_cast<std::uint16_t>(std::stoul(text));
}

std::size_t limitArgument(const std::string& option, const std::string& text, std::size_t most) {
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos ||
        std::stoul(text) < 1 || std::stoul(text) > most)
        throw std::runtime_error(option + " needs a number from 1 to " + std::to_string(most));
    return std::stoul(text);
}

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help") {
            options.help = true;
            continue;
        }
        if (option != "--bind" && option != "--port" && option != "--voice-port" && option != "--retail" &&
            option != "--peers-per-address" && option != "--rooms-per-address")
            throw std::runtime_error("Unknown option " + option);
        if (i + 1 >= argc) throw std::runtime_error(option + " needs a value");
        const std::string value = argv[++i];
        if (option == "--bind") {
            options.bind = value;
        } else if (option == "--port") {
            options.port = portArgument(option, value);
        } else if (option == "--voice-port") {
            options.voicePort = portArgument(option, value);
        } else if (option == "--peers-per-address") {
            options.limits.peers = limitArgument(option, value, bastion::coop::kServerPeerSlots);
        } else if (option == "--rooms-per-address") {
            options.limits.rooms = limitArgument(option, value, bastion::coop::kMaxRooms);
        } else {
            options.retail = value;
        }
    }
    if (options.retail.empty())
        options.retail = bastion::chooseRetailFolder(bastion::platform::executableFolder(), STORMBASTION_RETAIL_FALLBACK);
    return options;
}

// Processor time of the calling thread: unlike the wall clock, it does not
// grow when a busy machine leaves the server waiting for a core.
double threadSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct StepClocks {
    bastion::coop::StepTimes wall;
    bastion::coop::StepTimes processor;
};

void report(const bastion::coop::Server& server, const StepClocks& times, bastion::coop::ReportWriter& writer) {
    nlohmann::json document = server.report();
    document["step"] = times.wall.report();
    document["step_cpu"] = times.processor.report();
    writer.write(std::move(document));
}

int run(const Options& options) {
    std::error_code error;
    if (!std::filesystem::is_directory(options.retail, error))
        throw std::runtime_error("Missing retail folder: " + options.retail.string());
    bastion::coop::Server server(options.retail, options.bind, options.port, options.voicePort, options.limits);
    // Stopping is handled before the banner tells anyone the server is up:
    // a supervisor that stops it right after the banner gets a clean stop.
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    const nlohmann::json first = server.report();
    std::cout << "Lobby server on " << options.bind << " port " << first["port"].get<unsigned>() << ", voice port "
              << first["voice"].value("port", 0u) << ", retail folder " << options.retail.string() << std::endl;

    Clock::time_point last = Clock::now();
    Clock::time_point nextStep = last + kStepPeriod;
    Clock::time_point nextReport = last + kReportPeriod;
    StepClocks times;
    bastion::coop::ReportWriter writer(std::cout);
    while (!stopping.load()) {
        // Reading between steps, instead of sleeping, keeps a flood of
        // stray datagrams from filling the sockets while the server idles.
        server.idle(nextStep);
        const Clock::time_point now = Clock::now();
        const float dt = std::min(std::chrono::duration<float>(now - last).count(), kMaxStep);
        last = now;
        nextStep = bastion::coop::nextStepTime(nextStep, now);
        const double processorBefore = threadSeconds();
        server.step(dt);
        times.wall.add(std::chrono::duration<double>(Clock::now() - now).count());
        times.processor.add(threadSeconds() - processorBefore);
        if (now >= nextReport) {
            report(server, times, writer);
            nextReport = now + kReportPeriod;
        }
    }
    report(server, times, writer);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const Options options = parse(argc, argv);
        if (options.help) {
            std::cout << kUsage;
            return 0;
        }
        return run(options);
    } catch (const std::exception& failure) {
        std::cerr << "Lobby server: " << failure.what() << std::endl;
        return 1;
    }
}
