#include "contentgen/score_events.h"

#include "contentgen/binary_file.h"

namespace bastion::contentgen {

void writeScore(const std::filesystem::path& path, const std::vector<ScoreEvent>& events) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(events.size() * 8);
    for (const ScoreEvent& event : events) {
        appendBigEndian32(bytes, event.time);
        appendBigEndian32(bytes, event.word);
    }
    writeBinaryFile(path, bytes);
}

}  // namespace bastion::contentgen
