#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "net/internal/connection.h"
#include "net/internal/limits.h"

namespace vant::net {

// A listening TCP socket whose accepted connections carry its Limits.
class Listener {
public:
    Listener();
    ~Listener();
    Listener(Listener&&) noexcept;
    Listener& operator=(Listener&&) noexcept;
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // `host` "" listens on every local address; port 0 takes a free one.
    static Listener bind(const std::string& host, std::uint16_t port, const Limits& limits = {});

    std::uint16_t port() const;
    // A waiting connection, or nothing. Throws std::runtime_error on failure.
    std::optional<Connection> accept();
    void close();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vant::net
