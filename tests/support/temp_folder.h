#pragma once

#include <filesystem>
#include <string>

namespace bastion::testing_support {

// A fresh folder under the test temp dir, removed with everything in it when
// the object goes, unless its test failed (see the destructor). Names carry the process id, so parallel test processes
// never share one.
class TempFolder {
public:
    explicit TempFolder(const std::string& name);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace bastion::testing_support
