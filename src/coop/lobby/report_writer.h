#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <ostream>
#include <thread>

#include <nlohmann/json.hpp>

namespace bastion::coop {

// Writes the lobby server's reports, one JSON line each, on a thread of its
// own: writing out a report of 32 full rooms (a quarter of a megabyte) takes
// longer than a server step, and a reader slow to empty the pipe would hold
// the step loop up with it. The step loop only builds the document.
class ReportWriter {
public:
    explicit ReportWriter(std::ostream& out);
    // Writes every report handed over before it returns.
    ~ReportWriter();
    ReportWriter(const ReportWriter&) = delete;
    ReportWriter& operator=(const ReportWriter&) = delete;

    void write(nlohmann::json report);

private:
    void run();

    std::ostream& out_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<nlohmann::json> queue_;
    bool closing_ = false;
    std::thread thread_;
};

}  // namespace bastion::coop
