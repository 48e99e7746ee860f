#pragma once

#include <chrono>
#include <cstdint>

#include <sys/types.h>

namespace bastion::coopbots {

// A process's CPU time and memory as Linux reports them under /proc.
struct ProcessUsage {
    double cpuSeconds = 0.0;  // user plus system
    double residentMb = 0.0;
    double peakResidentMb = 0.0;
    std::chrono::steady_clock::time_point at{};
};

// Zeros when the process is gone.
ProcessUsage processUsage(pid_t pid);

// Share of one core the process used between two readings, in percent.
double cpuPercent(const ProcessUsage& from, const ProcessUsage& to);

}  // namespace bastion::coopbots
