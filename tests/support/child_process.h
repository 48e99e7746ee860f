#pragma once

#include <functional>

#include <sys/types.h>

namespace bastion::testing_support {

// Runs `body` in a forked child process, which exits with its result
// (uncaught exceptions are printed and give 99). Returns the child's id.
pid_t startChild(const std::function<int()>& body);

// Waits for the child; its exit code, or 128 + the signal that ended it.
int waitChild(pid_t child);

// startChild and waitChild in one.
int runInChild(const std::function<int()>& body);

}  // namespace bastion::testing_support
