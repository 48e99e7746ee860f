// A folder, a named pipe or a link to a device in place of any file the game
// reads: the program must end with that file's message, never wait for a
// writer nor read a device without end.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "program_fixture.h"
#include "program_run.h"

namespace bastion {
namespace {

// What a JSON reader that parses whatever it could open says when something
// other than a regular file stands at its path: the JSON library's error,
// naming the cause and the path.
const std::string kNotRegular = "[json.exception.parse_error.101] parse error: not a regular file: ";

struct Reader {
    std::string file;  // below the retail folder, or "save", "config", "layout"
    std::vector<std::string> extra;
    std::string message;
    bool pathInMessage = false;
};

// Named in a failing case's output by the file and the extra arguments.
void PrintTo(const Reader& reader, std::ostream* out) {
    *out << reader.file;
    for (const std::string& arg : reader.extra) *out << " " << arg;
}

const std::vector<Reader> kReaders = {
    {"manifest.json", {}, kImportMessage},
    {"cartridge.bin", {}, "Missing or truncated imported cartridge"},
    {"art/frontend.json", {}, kNotRegular, true},
    {"save", {}, kNotRegular, true},
    {"config", {}, "Cannot read client config: ", true},
    {"layout", {}, "Missing or oversized procedural layout"},
    {"cockpit/cockpit.mesh", {}, "Missing authored cockpit: ", true},
    {"cockpit/mesh-manifest.json", {}, kNotRegular, true},
    {"cockpit/layout.json", {}, kNotRegular, true},
    {"art/manifest.json", {}, kNotRegular, true},
    {"art/hud-font.rgba", {}, "Missing/truncated original art: hud-font"},
    {"art/frontend.json", {"--fixture"}, kNotRegular, true},
    {"sb2/shared/gameplay/missions.json", {"--screen", "playing"}, "Missing decoded gameplay file: ", true},
    {"sb2/shared/gameplay/battle-tank.json", {"--screen", "playing"}, "Missing decoded gameplay file: ", true},
    {"models/manifest.json", {}, "Decode original models with tools/decode_models first"},
    {"models/rifle.json", {}, kNotRegular, true},
    {"models/rig.json", {}, kNotRegular, true},
};

// Each run ends within the program time limit of the run helpers: a reader
// that waits for a pipe's writer or reads a device on and on fails the test
// instead of hanging it. One case a reader, its three kinds side by side, so
// that the table spreads over several entries.
class SpecialFileTest : public ProgramTest, public testing::WithParamInterface<Reader> {};

TEST_P(SpecialFileTest, FolderPipeOrDeviceInPlaceOfTheReadFileEndsWithItsMessage) {
    const Reader& reader = GetParam();
    struct Run {
        std::string label;
        std::string expected;
    };
    std::vector<Run> runs;
    std::vector<ProgramLaunch> launches;
    std::vector<std::string> environment = windowed({});
    environment.push_back("HOME=" + home.string());
    for (const char* kind : {"folder", "pipe", "device"}) {
        const std::filesystem::path root = folder / kind;
        const std::filesystem::path tree = root / "retail";
        // Hard links: a private tree in which one entry can be swapped.
        std::filesystem::create_directories(root);
        const auto links = std::filesystem::copy_options::recursive |
                           std::filesystem::copy_options::create_hard_links;
        std::filesystem::copy(demo, tree, links);
        // The music's wave ROM lives beside the retail folder.
        std::filesystem::copy(demo.parent_path() / "system", root / "system", links);
        std::filesystem::path special = tree / reader.file;
        std::vector<std::string> args = {"--retail", tree.string(), "--save", (root / "campaign.json").string(),
                                         "--frames", "1"};
        if (reader.file == "save") special = root / "campaign.json";
        if (reader.file == "config") {
            special = root / "config.json";
            args.insert(args.end(), {"--config", special.string()});
        }
        if (reader.file == "layout") {
            special = root / "layout.json";
            args.insert(args.end(), {"--procedural-layout", special.string()});
        }
        std::filesystem::remove(special);
        if (std::string(kind) == "folder") {
            std::filesystem::create_directory(special);
        } else if (std::string(kind) == "pipe") {
            ASSERT_EQ(::mkfifo(special.c_str(), 0600), 0) << special;
        } else {
            std::filesystem::create_symlink("/dev/zero", special);
        }
        args.insert(args.end(), reader.extra.begin(), reader.extra.end());
        launches.push_back({args, environment, root / "run"});

        std::string expected = reader.message;
        if (reader.pathInMessage) expected += special.string();
        if (reader.file == "cockpit/cockpit.mesh") expected += ". See docs/COCKPIT.md for Blender export.";
        runs.push_back({std::string(kind) + " at " + reader.file, expected});
    }

    const std::vector<ProgramRun> results = runPrograms(program, launches);
    for (std::size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(results[i].exitCode, 1) << runs[i].label;
        EXPECT_EQ(results[i].err, fatal(runs[i].expected)) << runs[i].label;
    }
}

// No prefix: the cases keep the suite's plain name, by which the build
// gives them entries of their own.
INSTANTIATE_TEST_SUITE_P(, SpecialFileTest, testing::ValuesIn(kReaders));

}  // namespace
}  // namespace bastion
