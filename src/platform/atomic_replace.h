#pragma once

#include <filesystem>
#include <functional>
#include <string_view>
#include <system_error>

namespace bastion::platform {

// The steps of an atomic replace, in order.
enum class ReplaceStep { create, write, flush, replace };

// The message prefix of each step's failure.
struct ReplaceTexts {
    const char* create;
    const char* write;
    const char* flush;
    const char* replace;

    const char* of(ReplaceStep step) const;
};

// A failed atomic replace: the errno of the failed step in the system
// category, prefixed by that step's text.
class ReplaceFailure : public std::system_error {
public:
    ReplaceFailure(ReplaceStep step, int error, const ReplaceTexts& texts);
    ReplaceStep step;
};

// Replaces `target` with `text` so that readers only ever see the old or the
// new file, also across a crash or power cut: the text goes into a new
// temporary file beside the target, which is flushed to disk and renamed
// over the target, and then the folder is flushed so the rename lasts.
//
// `temporaryName` names each creation attempt's temporary file; a name that
// already exists is passed over, up to `attempts` names in all. Once created,
// the temporary is removed again on any failure, and the target is left as
// it was.
void atomicReplace(const std::filesystem::path& target, std::string_view text,
                   const std::function<std::filesystem::path()>& temporaryName, int attempts,
                   const ReplaceTexts& texts);

// Test seam: the next atomicReplace fails at `step` with `error` as if the
// system had refused that step.
void failNextReplace(ReplaceStep step, int error);

}  // namespace bastion::platform
