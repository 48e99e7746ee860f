#pragma once

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>

namespace bastion::platform {

// The text of an environment variable; empty when it is not set.
std::string environmentText(const char* name);

// One candidate place for a per-user file: the folder named by an
// environment variable, and the file's path below it.
struct UserFolder {
    const char* variable;
    const char* file;
    bool absoluteOnly = false;  // the folder counts only as an absolute path
};

// The file below the first candidate whose variable is set and not empty
// (and absolute where asked); none when no candidate applies.
std::optional<std::filesystem::path> userFile(std::initializer_list<UserFolder> candidates);

}  // namespace bastion::platform
