#pragma once

#include <filesystem>
#include <string>
#include <vector>

// `patch_author seal`: writes the checksum file of the patch in
// `folder`\archives (the name in config.json's "checksums", else
// SHA256SUMS, which it then adds to config.json) over every patch file, and
// prints a game_versions entry with the SHA-256 of `game_files` (paths
// relative to the game folder; the game's executable when empty) in the
// game folder that the installer's search finds on this machine. Returns 0
// when the patch was sealed, 1 otherwise. Throws only std::bad_alloc.
int seal_patch(const std::filesystem::path& folder, const std::vector<std::string>& game_files);
