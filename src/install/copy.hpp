#pragma once

#include "install/staging.hpp"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A patch as an install sees it: each of its files, where that lands below
// the game folder, its size, and its SHA-256 when the patch's seal gives it.
struct patch_files {
  std::vector<std::filesystem::path> files;         // full paths
  std::vector<std::filesystem::path> destinations;  // relative to the game folder, in the same order
  std::vector<std::uint64_t> sizes;                 // of each file, as listed before the copy
  std::vector<std::string> hashes;                  // the seal's, in the same order; empty when unsealed
};

// Copies the files of `patch` to their destinations below the game folder
// of `staging`, whose staging has moved the game's files there aside, with
// one shell copy that replaces existing files and creates missing folders
// without asking; then checks that every destination holds as many bytes as
// its patch file, since the shell can answer success for a copy that
// skipped a file. A copy that fails, is cancelled or leaves a file out is
// rolled back (throwing as roll_back does).
void copy_patch_files(staged_replacement& staging, const patch_files& patch,
                      const std::filesystem::path& game_folder);
