#include "contentgen/wav_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace bastion::contentgen {
namespace {

void append16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void append32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    append16(out, static_cast<std::uint16_t>(v));
    append16(out, static_cast<std::uint16_t>(v >> 16));
}

void appendTag(std::vector<std::uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

// RIFF header and format chunk of a mono stream; the data follow.
std::vector<std::uint8_t> header(std::uint16_t format, std::uint16_t bits, std::uint32_t rate, std::uint32_t dataBytes) {
    std::vector<std::uint8_t> out;
    appendTag(out, "RIFF");
    append32(out, 36 + dataBytes);
    appendTag(out, "WAVE");
    appendTag(out, "fmt ");
    append32(out, 16);
    append16(out, format);
    append16(out, 1);
    append32(out, rate);
    append32(out, rate * bits / 8);
    append16(out, static_cast<std::uint16_t>(bits / 8));
    append16(out, bits);
    appendTag(out, "data");
    append32(out, dataBytes);
    return out;
}

}  // namespace

std::vector<std::uint8_t> monoWav(const std::vector<double>& samples, std::uint32_t rate) {
    std::vector<std::uint8_t> out = header(1, 16, rate, static_cast<std::uint32_t>(samples.size() * 2));
    for (const double s : samples) {
        const long value = std::clamp(std::lround(s * 32767.0), -32768L, 32767L);
        append16(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(value)));
    }
    return out;
}

std::vector<std::uint8_t> floatWav(const std::vector<float>& samples, std::uint32_t rate) {
    std::vector<std::uint8_t> out = header(3, 32, rate, static_cast<std::uint32_t>(samples.size() * 4));
    for (const float s : samples) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &s, sizeof bits);
        append32(out, bits);
    }
    return out;
}

}  // namespace bastion::contentgen
