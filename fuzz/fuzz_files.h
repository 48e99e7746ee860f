#pragma once

// Shared pieces of the file fuzzers: a private scratch folder and the split
// of one fuzzer input into several files or arguments.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace bastion::fuzz {

// Between the files packed into one input.
inline constexpr std::string_view kFileSeparator = "\n=====\n";

// A folder of this process's own, made once and reused by every input.
const std::filesystem::path& scratchFolder();

// `input` cut at every `separator`; always at least one piece.
std::vector<std::string> splitInput(const std::uint8_t* data, std::size_t size, std::string_view separator);

// Replaces `path` with exactly `bytes`.
void writeFile(const std::filesystem::path& path, const std::string& bytes);

// Writes piece `index` of `pieces` to `path`, or removes `path` when there is
// no such piece.
void writeOrRemove(const std::filesystem::path& path, const std::vector<std::string>& pieces, std::size_t index);

// Prints a refusal when BASTION_FUZZ_VERBOSE is set.
void reportRefusal(const std::exception& error);

// Runs `step`, true when it passed; a std::exception is a refusal. Anything
// else escapes and libFuzzer reports it.
template <typename Step>
bool refuseOrPass(Step step) {
    try {
        step();
        return true;
    } catch (const std::exception& error) {
        reportRefusal(error);
        return false;
    }
}

}  // namespace bastion::fuzz
