#include "support/demo_content.h"

#include "contentgen/content_tree.h"
#include "support/temp_folder.h"

namespace bastion::testing_support {

const std::filesystem::path& demoContent() {
    static const TempFolder folder("demo-content");
    // The retail tree sits in a folder of its own: the system folder beside it
    // holds the music's wave ROM.
    static const std::filesystem::path retail = folder.path() / "retail";
    static const bool written = (contentgen::writeContentTree(retail), contentgen::writeSystemFolder(retail), true);
    static_cast<void>(written);
    return retail;
}

}  // namespace bastion::testing_support
