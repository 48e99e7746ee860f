#pragma once

#include <sys/socket.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/socket_handle.h"

// What a server needs to keep up with datagrams arriving faster than one
// system call each allows: many datagrams per call, waiting on several
// sockets at once, and what the system itself dropped.
namespace vant::native_socket {

// One datagram slot of a batch read. The caller points `buffer` at memory
// of its own, which the slot keeps between reads.
struct ReceivedDatagram {
    std::span<std::byte> buffer;
    sockaddr_storage sender{};
    socklen_t senderLength = 0;
    std::size_t length = 0;  // bytes in the buffer
    bool truncated = false;  // the datagram was longer than the buffer; the rest is lost
};

// Reads up to slots.size() waiting datagrams without blocking and returns
// how many; 0 when none wait or the read failed.
std::size_t receiveBatch(Handle socket, std::span<ReceivedDatagram> slots);

// Waits until one of `sockets` holds something to read or `until` passes.
// `readable` (as long as `sockets`) says which; false when none is.
bool waitReadable(std::span<const Handle> sockets, std::span<bool> readable,
                  std::chrono::steady_clock::time_point until);

// Datagrams the system dropped for this socket since it opened, mostly
// because its receive buffer was full; nothing where the system cannot say.
std::optional<std::uint64_t> receiveDrops(Handle socket);

}  // namespace vant::native_socket
