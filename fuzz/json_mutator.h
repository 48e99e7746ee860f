#pragma once

// A structure-aware mutator for inputs made of one selector byte and a JSON
// document. Byte mutations mostly break the syntax, so the loaders would
// rarely see a well-formed document with one odd value in it; this edits the
// parsed document instead: a node becomes a boundary value, a nudged number,
// a copy of another node, or loses an element. Define it once per target by
// including this header in the target's source.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

namespace bastion::fuzzing {

inline void collectNodes(nlohmann::json& node, std::vector<nlohmann::json*>& nodes) {
    nodes.push_back(&node);
    if (node.is_structured())
        for (nlohmann::json& child : node) collectNodes(child, nodes);
}

inline nlohmann::json boundaryValue(std::minstd_rand& random) {
    static const char* const kValues[] = {
        "0", "-1", "1", "2", "3", "4", "7", "8", "16", "31", "32", "255", "256", "65535", "65536",
        "2147483647", "-2147483648", "4294967295", "4294967296", "1e30", "-1e30", "1e39", "-1e39",
        "3.4028235e38", "1e-45", "0.5", "-0.5", "\"fragment-\"", "\"\"", "null", "true", "false", "[]", "{}",
        "[0,0,0]", "[0,0,0,0]", "[1e39,0,0]"};
    return nlohmann::json::parse(kValues[random() % std::size(kValues)]);
}

inline void editNode(nlohmann::json& document, std::minstd_rand& random) {
    std::vector<nlohmann::json*> nodes;
    collectNodes(document, nodes);
    nlohmann::json& node = *nodes[random() % nodes.size()];
    switch (random() % 5) {
        case 0:
            node = boundaryValue(random);
            break;
        case 1:
            if (node.is_number()) {
                const double value = node.get<double>();
                const double nudged[] = {-value, value + 1, value - 1, value * 256, value / 100, value * 1e20};
                node = nudged[random() % std::size(nudged)];
            } else {
                node = boundaryValue(random);
            }
            break;
        case 2:
            if (node.is_array() && !node.empty()) {
                node.erase(random() % node.size());
            } else if (node.is_object() && !node.empty()) {
                auto victim = node.begin();
                std::advance(victim, static_cast<long>(random() % node.size()));
                node.erase(victim);
            }
            break;
        case 3:
            if (node.is_array() && !node.empty()) node.push_back(node[random() % node.size()]);
            break;
        default:
            node = nlohmann::json(*nodes[random() % nodes.size()]);
            break;
    }
}

inline std::size_t mutateDocument(std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned seed) {
    std::minstd_rand random(seed);
    if (size < 2 || random() % 4 == 0) return LLVMFuzzerMutate(data, size, maxSize);
    nlohmann::json document = nlohmann::json::parse(data + 1, data + size, nullptr, false);
    if (document.is_discarded()) return LLVMFuzzerMutate(data, size, maxSize);
    const int edits = 1 + static_cast<int>(random() % 3);
    for (int i = 0; i < edits; ++i) editNode(document, random);
    const std::string text = document.dump();
    if (text.size() + 1 > maxSize) return LLVMFuzzerMutate(data, size, maxSize);
    if (random() % 8 == 0) data[0] = static_cast<std::uint8_t>(random());
    std::memcpy(data + 1, text.data(), text.size());
    return text.size() + 1;
}

}  // namespace bastion::fuzzing

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int seed) {
    return bastion::fuzzing::mutateDocument(data, size, maxSize, seed);
}
