#include "world/internal/mission_parameters.h"

#include <algorithm>
#include <stdexcept>

namespace bastion {
namespace {

std::uint32_t word16(std::span<const std::uint8_t> bytes, std::size_t at) {
    if (at + 1 >= bytes.size()) return 0;
    return static_cast<std::uint32_t>(bytes[at]) << 8 | bytes[at + 1];
}

std::int32_t signed32(std::span<const std::uint8_t> bytes, std::size_t at) {
    const std::uint32_t word = word16(bytes, at) << 16 | word16(bytes, at + 2);
    return static_cast<std::int32_t>(word);
}

}  // namespace

ParameterRecord decodeParameters(std::span<const std::uint8_t> bytes) {
    ParameterRecord record;
    record.length = bytes.size();
    record.attackWord = word16(bytes, 0);
    if (bytes.size() >= 4)
        record.behaviour = record.attackWord << 16 | word16(bytes, 2);
    else
        record.behaviour = record.attackWord << 16;
    if (bytes.size() > 5) record.flagBit = bytes[5] & 31u;
    for (int k = 0; k < kParameterWords; ++k)
        record.words[k] = static_cast<int>(word16(bytes, 4 + 2 * static_cast<std::size_t>(k)));
    return record;
}

std::vector<Vec3> decodeRoute(std::span<const std::uint8_t> bytes, std::size_t offset, float height) {
    const std::uint32_t count = word16(bytes, offset);
    if (count > kMaxRoutePoints || offset + 2 + 8 * static_cast<std::size_t>(count) > bytes.size())
        throw std::runtime_error("Invalid AI route record");
    std::vector<Vec3> route;
    route.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = offset + 2 + 8 * static_cast<std::size_t>(i);
        const float x = static_cast<float>(signed32(bytes, at));
        const float z = static_cast<float>(signed32(bytes, at + 4));
        route.push_back({x / 100.0f, height, -z / 100.0f});
    }
    return route;
}

GeneratorRecord decodeGeneratorRecord(const ParameterRecord& parameters) {
    GeneratorRecord generator;
    generator.flags = parameters.behaviour;
    generator.remaining = parameters.words[0];
    generator.interval = static_cast<float>(parameters.words[1]) / 256.0f;
    if (parameters.holds(10) && parameters.words[2] != 0) generator.members = std::min(parameters.words[2], 16);
    generator.parentSpawn = parameters.words[3];
    generator.burstPause = static_cast<float>(parameters.words[4]) / 256.0f;
    generator.burstSize = parameters.words[5];
    return generator;
}

}  // namespace bastion
