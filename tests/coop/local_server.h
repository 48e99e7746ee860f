#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "coop/server.h"

namespace bastion::coop::testing {

// A lobby server in this process on 127.0.0.1, at a port the system
// chooses. Its voice relay takes the port after that one, which another
// program on a busy machine may hold: then it starts again on a new port.
inline std::unique_ptr<Server> localServer(const std::filesystem::path& root) {
    constexpr int kAttempts = 5;
    for (int attempt = 1;; ++attempt) {
        try {
            return std::make_unique<Server>(root, "127.0.0.1", 0, 0);
        } catch (const std::runtime_error& failure) {
            if (attempt == kAttempts || std::string(failure.what()) != "Cannot open native UDP voice socket") throw;
        }
    }
}

}  // namespace bastion::coop::testing
