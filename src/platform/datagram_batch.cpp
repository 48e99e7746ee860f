#include "platform/datagram_batch.h"

#include <linux/sock_diag.h>
#include <poll.h>
#include <sys/uio.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <ctime>

namespace vant::native_socket {
namespace {

constexpr std::size_t kMostPerCall = 64;
constexpr std::size_t kMostSockets = 8;

}  // namespace

std::size_t receiveBatch(Handle socket, std::span<ReceivedDatagram> slots) {
    std::size_t total = 0;
    while (total < slots.size()) {
        const std::size_t count = std::min(kMostPerCall, slots.size() - total);
        std::array<mmsghdr, kMostPerCall> headers{};
        std::array<iovec, kMostPerCall> vectors{};
        for (std::size_t i = 0; i < count; ++i) {
            ReceivedDatagram& slot = slots[total + i];
            vectors[i] = {slot.buffer.data(), slot.buffer.size()};
            headers[i].msg_hdr.msg_iov = &vectors[i];
            headers[i].msg_hdr.msg_iovlen = 1;
            headers[i].msg_hdr.msg_name = &slot.sender;
            headers[i].msg_hdr.msg_namelen = sizeof slot.sender;
        }
        const int got = ::recvmmsg(socket, headers.data(), static_cast<unsigned>(count), MSG_DONTWAIT, nullptr);
        if (got <= 0) break;
        for (int i = 0; i < got; ++i) {
            ReceivedDatagram& slot = slots[total + static_cast<std::size_t>(i)];
            slot.senderLength = headers[i].msg_hdr.msg_namelen;
            slot.truncated = (headers[i].msg_hdr.msg_flags & MSG_TRUNC) != 0;
            slot.length = std::min<std::size_t>(headers[i].msg_len, slot.buffer.size());
        }
        total += static_cast<std::size_t>(got);
        if (static_cast<std::size_t>(got) < count) break;
    }
    return total;
}

bool waitReadable(std::span<const Handle> sockets, std::span<bool> readable,
                  std::chrono::steady_clock::time_point until) {
    std::array<pollfd, kMostSockets> waits{};
    const std::size_t count = std::min({sockets.size(), readable.size(), kMostSockets});
    for (std::size_t i = 0; i < count; ++i) waits[i] = {sockets[i], POLLIN, 0};
    std::fill(readable.begin(), readable.end(), false);
    for (;;) {
        const auto left = std::max(until - std::chrono::steady_clock::now(), std::chrono::steady_clock::duration::zero());
        const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec timeout{static_cast<time_t>(nanoseconds / 1'000'000'000), static_cast<long>(nanoseconds % 1'000'000'000)};
        const int ready = ::ppoll(waits.data(), count, &timeout, nullptr);
        if (ready > 0) break;
        if (ready == 0 || errno != EINTR) return false;
    }
    bool any = false;
    for (std::size_t i = 0; i < count; ++i) {
        readable[i] = (waits[i].revents & (POLLIN | POLLERR)) != 0;
        any = any || readable[i];
    }
    return any;
}

std::optional<std::uint64_t> receiveDrops(Handle socket) {
    std::array<std::uint32_t, SK_MEMINFO_VARS> memory{};
    socklen_t length = sizeof memory;
    if (::getsockopt(socket, SOL_SOCKET, SO_MEMINFO, memory.data(), &length) != 0 ||
        length < (SK_MEMINFO_DROPS + 1) * sizeof(std::uint32_t))
        return std::nullopt;
    return memory[SK_MEMINFO_DROPS];
}

}  // namespace vant::native_socket
