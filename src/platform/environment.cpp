#include "platform/environment.h"

#include <cstdlib>

namespace bastion::platform {

std::string environmentText(const char* name) {
    const char* text = std::getenv(name);
    return text != nullptr ? std::string(text) : std::string();
}

std::optional<std::filesystem::path> userFile(std::initializer_list<UserFolder> candidates) {
    for (const UserFolder& candidate : candidates) {
        const std::string folder = environmentText(candidate.variable);
        if (folder.empty()) continue;
        if (candidate.absoluteOnly && folder.front() != '/') continue;
        return std::filesystem::path(folder) / candidate.file;
    }
    return std::nullopt;
}

}  // namespace bastion::platform
