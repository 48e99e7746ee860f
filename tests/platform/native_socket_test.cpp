#include <gtest/gtest.h>

#include <cerrno>

#include "platform/native_socket.h"

namespace vant::native_socket {
namespace {

TEST(NativeSocket, StartsOnceAndStaysStarted) {
    EXPECT_TRUE(initialize());
    EXPECT_TRUE(initialize());
}

TEST(NativeSocket, FailureTextCarriesTheSignedCode) {
    EXPECT_EQ(failure("connect", 10061), "connect (socket error 10061)");
    EXPECT_EQ(failure("TCP send", -3), "TCP send (socket error -3)");
}

TEST(NativeSocket, WaitConditionsShareOneCodeOnEveryPlatform) {
    const struct {
        int platform;
        std::int32_t normalized;
    } cases[] = {
        {EAGAIN, 140}, {EWOULDBLOCK, 140}, {EINTR, 4}, {EINPROGRESS, 112},
        {EALREADY, 112}, {ECONNREFUSED, ECONNREFUSED}, {EPIPE, EPIPE},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(normalizedError(c.platform), c.normalized) << c.platform;
    }
}

}  // namespace
}  // namespace vant::native_socket
