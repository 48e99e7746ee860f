#pragma once

#include <chrono>
#include <csignal>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace bastion::coop::testing {

// The lobby server program, run with `args` and its standard output and
// error read through pipes. Ended with SIGTERM when the test is done.
class LobbyProcess {
public:
    explicit LobbyProcess(const std::vector<std::string>& args, std::string program = STORMBASTION_LOBBY_EXECUTABLE) {
        spawn(args, program);
        // On "--port 0" the relay takes the port after the one the system
        // chose for the lobby, which another program on a busy machine may
        // hold; such a start is tried again, on a new port. What the first
        // lines say stays to be read.
        bool anyPort = false;
        for (std::size_t i = 0; i + 1 < args.size(); ++i) anyPort = anyPort || (args[i] == "--port" && args[i + 1] == "0");
        for (int attempt = 1; anyPort && attempt < kStartAttempts; ++attempt) {
            if (const auto banner = line(std::chrono::seconds(30))) {
                outBuffer_.insert(0, *banner + "\n");
                return;
            }
            const auto error = errorLine(std::chrono::seconds(5));
            if (error) errBuffer_.insert(0, *error + "\n");
            if (error != "Lobby server: Cannot open native UDP voice socket" || !waitExit(std::chrono::seconds(5))) return;
            release();
            spawn(args, program);
        }
    }
    ~LobbyProcess() { release(); }
    LobbyProcess(const LobbyProcess&) = delete;
    LobbyProcess& operator=(const LobbyProcess&) = delete;

    // The next whole line of standard output, waiting at most `limit`.
    std::optional<std::string> line(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        return nextLine(out_, outBuffer_, limit);
    }
    std::optional<std::string> errorLine(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        return nextLine(err_, errBuffer_, limit);
    }

    pid_t pid() const { return pid_; }

    // Sends `signal` and waits up to `limit` for the exit; its code, or none.
    std::optional<int> stop(int signal, std::chrono::milliseconds limit) {
        if (signal != 0) ::kill(pid_, signal);
        return waitExit(limit);
    }
    std::optional<int> waitExit(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
            ::poll(nullptr, 0, 5);
        }
    }

private:
    static constexpr int kStartAttempts = 5;

    void spawn(const std::vector<std::string>& args, std::string program) {
        int out[2], err[2];
        if (::pipe(out) != 0 || ::pipe(err) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            // The server never outlives a test that dies without cleaning up.
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            ::close(out[0]);
            ::close(err[0]);
            std::vector<char*> argv;
            argv.push_back(program.data());
            std::vector<std::string> copies = args;
            for (std::string& a : copies) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }

    void release() {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) ::close(out_);
        if (err_ >= 0) ::close(err_);
        pid_ = out_ = err_ = -1;
        exited_ = false;
        outBuffer_.clear();
        errBuffer_.clear();
    }

    static std::optional<std::string> nextLine(int fd, std::string& buffer, std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            const std::size_t end = buffer.find('\n');
            if (end != std::string::npos) {
                std::string text = buffer.substr(0, end);
                buffer.erase(0, end + 1);
                return text;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return std::nullopt;
            pollfd entry{fd, POLLIN, 0};
            if (::poll(&entry, 1, static_cast<int>(left.count())) <= 0) continue;
            char chunk[4096];
            const ssize_t got = ::read(fd, chunk, sizeof chunk);
            if (got <= 0) return std::nullopt;
            buffer.append(chunk, static_cast<std::size_t>(got));
        }
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    bool exited_ = false;
    std::string outBuffer_;
    std::string errBuffer_;
};

}  // namespace bastion::coop::testing
