#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include <nlohmann/json.hpp>

namespace bastion {

// The largest decoded content document (mission, model, cockpit, art or
// front-end file) any reader takes.
inline constexpr std::uintmax_t kDecodedDocumentLimit = std::uintmax_t{64} << 20;

// Parses the first JSON value of a decoded gameplay file (mission or model
// document). Throws "Missing decoded gameplay file: " + path when the file
// is not a regular file of at most kDecodedDocumentLimit bytes; syntax errors
// are the JSON library's.
nlohmann::json readJson(const std::filesystem::path& path);

// The same reader with the caller's message prefix for an unreadable file.
nlohmann::json readJsonDocument(const std::filesystem::path& path, std::string_view missingPrefix);

// Parses the whole file at `path` as one JSON document. A folder, pipe or
// device there fails with notRegularFile; a missing, unreadable or larger
// than `sizeLimit` file reads as empty, so it fails with the JSON library's
// error for an empty input, as a file that cannot be opened does.
nlohmann::json parseJsonFile(const std::filesystem::path& path, std::uintmax_t sizeLimit);

// The JSON library's parse error for a JSON file whose path holds something
// other than a regular file (a folder, a pipe, a device): it names the cause
// and the path, where parsing the nothing read from it would name neither.
nlohmann::json::parse_error notRegularFile(const std::filesystem::path& path);

// True when anything (file, folder, link, even a dangling one) is at `path`.
bool entryExists(const std::filesystem::path& path);

}  // namespace bastion
