#pragma once

#include <cstdint>

#include <arpa/inet.h>
#include <netinet/in.h>

namespace bastion::testing_support {

// 127.0.0.1 at `port` (0: any free port, for bind).
inline sockaddr_in loopbackAddress(std::uint16_t port = 0) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

}  // namespace bastion::testing_support
