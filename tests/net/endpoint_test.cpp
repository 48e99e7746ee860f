#include <gtest/gtest.h>

#include <string>

#include "net/endpoint.h"
#include "support/refusal.h"

namespace vant::net {
namespace {

using bastion::testing_support::refusal;

TEST(ParseEndpoint, AcceptsHostsAndPorts) {
    const struct {
        std::string text;
        std::uint16_t defaultPort;
        std::string host;
        std::uint16_t port;
    } cases[] = {
        {"  example:80\t", 29497, "example", 80},
        {"example", 29497, "example", 29497},
        {"[::1]:29597", 1, "::1", 29597},
        {"[::1]", 29597, "::1", 29597},
        {"::1", 29597, "::1", 29597},
        {"example:65535", 1, "example", 65535},
        {"example:1", 2, "example", 1},
        {"example:080", 1, "example", 80},
        {"example:00000000080", 1, "example", 80},
        {"h\xC3\xA9te:5", 1, "h\xC3\xA9te", 5},
        {"127.0.0.1:29598", 1, "127.0.0.1", 29598},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Endpoint endpoint = parseEndpoint(c.text, c.defaultPort);
        EXPECT_EQ(endpoint.host, c.host);
        EXPECT_EQ(endpoint.port, c.port);
    }
}

TEST(ParseEndpoint, RefusesWithItsText) {
    const std::string longest(1024, 'a');
    const struct {
        std::string text;
        std::uint16_t defaultPort;
        const char* refusal;
    } cases[] = {
        {"", 1, "Missing or excessive TCP endpoint"},
        {" \t ", 1, "Missing or excessive TCP endpoint"},
        {"example:80", 0, "Missing or excessive TCP endpoint"},
        {longest + "b", 1, "Missing or excessive TCP endpoint"},
        {"a b:80", 1, "Whitespace/control character in TCP endpoint"},
        {"example\n", 1, "Whitespace/control character in TCP endpoint"},
        {"exa\x7Fmple", 1, "Whitespace/control character in TCP endpoint"},
        {std::string("ex\0ample", 8), 1, "Whitespace/control character in TCP endpoint"},
        {"\vexample", 1, "Whitespace/control character in TCP endpoint"},
        {"[::1", 1, "Unclosed IPv6 brackets"},
        {"[::1]x", 1, "Unexpected text after IPv6 address"},
        {"[::1]:", 1, "Missing TCP port"},
        {"[]:80", 1, "Invalid TCP host"},
        {"[a/b]", 1, "Invalid TCP host"},
        {"example:", 1, "Missing TCP port"},
        {":80", 1, "Invalid TCP host"},
        {":x", 1, "TCP port must contain digits"},
        {"example:8o", 1, "TCP port must contain digits"},
        {"example:-1", 1, "TCP port must contain digits"},
        {"example:0", 1, "TCP port outside 1..65535"},
        {"example:000", 1, "TCP port outside 1..65535"},
        {"example:65536", 1, "TCP port outside 1..65535"},
        {"example:99999x", 1, "TCP port outside 1..65535"},
        {"example:999999999999999999999999", 1, "TCP port outside 1..65535"},
        {"a/b:80", 1, "Invalid TCP host"},
        {"a]b", 1, "Invalid TCP host"},
        {"a[b:80", 1, "Invalid TCP host"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(refusal([&] { parseEndpoint(c.text, c.defaultPort); }), c.refusal);
    }
}

TEST(ParseEndpoint, LengthLimitCountsTheTrimmedText) {
    const std::string longest(1024, 'a');
    EXPECT_EQ(parseEndpoint("  " + longest + "\t", 7).host, longest);
    EXPECT_THROW(parseEndpoint(longest + "a", 7), std::invalid_argument);
}

}  // namespace
}  // namespace vant::net
