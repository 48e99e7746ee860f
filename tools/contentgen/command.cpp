#include "contentgen/command.h"

#include <exception>
#include <ostream>

#include "contentgen/content_tree.h"

namespace bastion::contentgen {
namespace {

constexpr const char* kUsage =
    "Usage: stormbastion-content <output-folder>\n"
    "Writes the demo content tree (missions, models, art, cockpit, music) into <output-folder>,\n"
    "the retail folder, and the music's wave ROM into the \"system\" folder beside it.\n"
    "  --help  print this text and exit\n";

int refuse(std::ostream& err, const std::string& why) {
    err << "stormbastion-content: " << why << '\n' << kUsage;
    return 1;
}

}  // namespace

int runContentCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            out << kUsage;
            return 0;
        }
    }
    if (args.empty()) return refuse(err, "missing output folder");
    // A mistyped option must not become a folder of that name.
    for (const std::string& arg : args) {
        if (!arg.empty() && arg[0] == '-') return refuse(err, "unknown option '" + arg + "'");
    }
    if (args.size() > 1) return refuse(err, "expected one output folder, got " + std::to_string(args.size()));
    if (args[0].empty()) return refuse(err, "empty output folder");
    try {
        writeContentTree(args[0]);
        writeSystemFolder(args[0]);
    } catch (const std::exception& error) {
        err << "stormbastion-content: " << error.what() << '\n';
        return 1;
    }
    out << "Demo content written to " << args[0] << '\n';
    return 0;
}

}  // namespace bastion::contentgen
