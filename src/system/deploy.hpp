#pragma once

#include <filesystem>
#include <stdexcept>
#include <vector>

// The shell copy failed or was cancelled after it had begun, so some files may
// have been replaced already.
struct incomplete_copy_error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Copies each of `files` (all below `archives_folder`) to the same place
// below `game_folder`, with one shell copy that replaces existing files and
// creates missing folders without asking.
// Throws std::filesystem::filesystem_error when a path cannot be resolved and
// std::runtime_error when a file would land outside the game folder (both
// before anything is copied), incomplete_copy_error when the copy fails or is
// cancelled.
void deploy_archive_files(const std::vector<std::filesystem::path>& files,
                          const std::filesystem::path& archives_folder,
                          const std::filesystem::path& game_folder);
