#pragma once

#include <filesystem>
#include <string>

namespace bastion::test {

// A fresh, empty folder for the running test below the test output folder.
std::filesystem::path scratchFolder();

void writeFile(const std::filesystem::path& path, const std::string& text);

// The whole file; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);

// The names in `folder`, sorted.
std::string listFolder(const std::filesystem::path& folder);

// Sets an environment variable for the life of this object, restoring the
// old value (or its absence) afterwards. A null value unsets it.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
    std::string old_;
    bool wasSet_;
};

}  // namespace bastion::test
