#include "coop/bots/process_usage.h"

#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

namespace bastion::coopbots {

ProcessUsage processUsage(pid_t pid) {
    ProcessUsage usage;
    usage.at = std::chrono::steady_clock::now();
    const std::string folder = "/proc/" + std::to_string(pid) + "/";
    std::ifstream stat(folder + "stat");
    std::string line;
    if (std::getline(stat, line)) {
        // The command name may hold spaces; the fields count from after it.
        std::istringstream fields(line.substr(line.rfind(')') + 2));
        std::string field;
        double utime = 0.0, stime = 0.0;
        for (int index = 3; fields >> field; ++index) {
            if (index == 14) utime = std::stod(field);
            if (index == 15) {
                stime = std::stod(field);
                break;
            }
        }
        usage.cpuSeconds = (utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    }
    std::ifstream status(folder + "status");
    while (std::getline(status, line)) {
        const auto kilobytes = [&] { return std::stod(line.substr(line.find(':') + 1)) / 1024.0; };
        if (line.rfind("VmRSS:", 0) == 0) usage.residentMb = kilobytes();
        if (line.rfind("VmHWM:", 0) == 0) usage.peakResidentMb = kilobytes();
    }
    return usage;
}

double cpuPercent(const ProcessUsage& from, const ProcessUsage& to) {
    const double wall = std::chrono::duration<double>(to.at - from.at).count();
    return wall > 0.0 ? 100.0 * (to.cpuSeconds - from.cpuSeconds) / wall : 0.0;
}

}  // namespace bastion::coopbots
