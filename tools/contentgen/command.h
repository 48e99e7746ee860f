#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace bastion::contentgen {

// The generator's command line without the program name: "--help" prints the
// usage, one folder argument writes the tree there. Returns the exit code.
int runContentCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace bastion::contentgen
