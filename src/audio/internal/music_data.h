#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Internal to the audio library: reading the music data files.
namespace bastion::music_data {

// Largest file the music loader reads: one sample is addressed by 8.8 fixed
// point positions in 32 bits, so 16 MiB is all of it a voice can reach.
inline constexpr std::uintmax_t kFileLimit = 16u << 20;
// Largest music description.
inline constexpr std::uintmax_t kDescriptionLimit = 4u << 20;
// All samples and scores together.
inline constexpr std::uintmax_t kTotalLimit = 64u << 20;

// All bytes of a regular file of at most `limit` bytes. Throws
// std::runtime_error "Missing music data: " + path when it cannot be opened
// as a regular file, "Oversized music data: " + path when it is larger.
std::vector<std::uint8_t> bytes(const std::filesystem::path& path, std::uintmax_t limit = kFileLimit);

// The "system" folder beside the retail folder `root`, whatever the
// spelling of `root` ("retail", "retail/", "./retail").
std::filesystem::path systemFolder(const std::filesystem::path& root);

// True for a plain file name: not empty, no separator, not "." or "..".
bool plainFileName(const std::string& name);

}  // namespace bastion::music_data
