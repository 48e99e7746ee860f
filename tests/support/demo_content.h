#pragma once

#include <filesystem>

namespace bastion::testing_support {

// The generator's demo content tree, written once per test program into a
// temp folder that is removed when the program ends.
const std::filesystem::path& demoContent();

}  // namespace bastion::testing_support
