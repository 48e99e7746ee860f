#include "voice/internal/credentials.h"

#include <stdexcept>
#include <string>

#include "voice/channel.h"

namespace vant::voice {

namespace {

constexpr int credentialsVersion = 1;
constexpr int voiceBitrate = 24000;
constexpr char hexDigits[] = "0123456789abcdef";

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    throw std::runtime_error("Invalid voice token");
}

}  // namespace

nlohmann::json credentialsObject(std::uint16_t port, const wire::Token& token) {
    std::string hex;
    hex.reserve(token.size() * 2);
    for (const std::byte b : token) {
        const auto value = std::to_integer<unsigned>(b);
        hex.push_back(hexDigits[value >> 4]);
        hex.push_back(hexDigits[value & 0x0F]);
    }
    return {
        {"version", credentialsVersion},
        {"port", static_cast<std::uint64_t>(port)},
        {"token", hex},
        {"rate", sampleRate},
        {"samples", frameSamples},
        {"bitrate", voiceBitrate},
    };
}

Credentials readCredentials(const nlohmann::json& credentials) {
    const auto portIsValid = [&] {
        const nlohmann::json& port = credentials.at("port");
        return port.is_number_integer() && port >= 1 && port <= 65535;
    };
    const bool supported = credentials.at("version") == credentialsVersion &&
                           credentials.at("rate") == sampleRate && credentials.at("samples") == frameSamples &&
                           credentials.at("bitrate") == voiceBitrate && portIsValid();
    if (!supported) throw std::runtime_error("Unsupported voice configuration");

    const std::string hex = credentials.at("token").get<std::string>();
    Credentials result;
    if (hex.size() != result.token.size() * 2) throw std::runtime_error("Invalid voice credentials");
    for (std::size_t i = 0; i < result.token.size(); ++i) {
        result.token[i] = static_cast<std::byte>(hexValue(hex[2 * i]) << 4 | hexValue(hex[2 * i + 1]));
    }
    result.port = credentials.at("port").get<std::uint16_t>();
    return result;
}

}  // namespace vant::voice
