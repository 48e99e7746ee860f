#include "support/child_process.h"

#include <cerrno>
#include <cstdio>
#include <exception>

#include <sys/wait.h>
#include <unistd.h>

namespace bastion::testing_support {

pid_t startChild(const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child != 0) return child;
    int code = 99;
    try {
        code = body();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "child %d: %s\n", static_cast<int>(::getpid()), error.what());
    }
    // Skip the parent's exit handlers: the test framework belongs to it.
    std::fflush(nullptr);
    ::_exit(code);
}

int waitChild(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
}

int runInChild(const std::function<int()>& body) { return waitChild(startChild(body)); }

}  // namespace bastion::testing_support
