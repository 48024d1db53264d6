#pragma once

#include "system/staging.hpp"

#include <filesystem>
#include <vector>

// Copies each of `files` (all below `archives_folder`) to the same place
// below `game_folder`, with one shell copy that replaces existing files and
// creates missing folders without asking; all or nothing: the game's files
// that the copy replaces wait in the staging folder until it has succeeded,
// and come back when it fails or is cancelled. Originals that a killed run
// left there are put back first.
// Throws std::filesystem::filesystem_error when a path cannot be resolved and
// std::runtime_error when a file would land outside the game folder or in
// the staging folder (both before anything is changed), game_unchanged_error
// when a game file cannot be moved aside or the copy fails and is undone,
// and rollback_failed_error when undoing fails.
void deploy_archive_files(const std::vector<std::filesystem::path>& files,
                          const std::filesystem::path& archives_folder,
                          const std::filesystem::path& game_folder);
