#pragma once

#include <filesystem>
#include <string>

namespace bastion::testing_support {

void writeFile(const std::filesystem::path& path, const std::string& text);

// The whole file; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);

// The names in `folder`, sorted.
std::string listFolder(const std::filesystem::path& folder);

}  // namespace bastion::testing_support
