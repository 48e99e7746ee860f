#include "coop/lobby/report_writer.h"

namespace bastion::coop {

ReportWriter::ReportWriter(std::ostream& out) : out_(out), thread_([this] { run(); }) {}

ReportWriter::~ReportWriter() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    ready_.notify_one();
    thread_.join();
}

void ReportWriter::write(nlohmann::json report) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(std::move(report));
    }
    ready_.notify_one();
}

void ReportWriter::run() {
    for (;;) {
        nlohmann::json report;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            ready_.wait(lock, [this] { return closing_ || !queue_.empty(); });
            if (queue_.empty()) return;
            report = std::move(queue_.front());
            queue_.pop_front();
        }
        // Destroying the document here keeps freeing its tree off the steps too.
        out_ << report.dump() << std::endl;
    }
}

}  // namespace bastion::coop
