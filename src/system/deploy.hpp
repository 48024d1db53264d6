#pragma once

#include "system/staging.hpp"

#include <filesystem>
#include <functional>
#include <vector>

// Commits a copy that succeeded and was checked, in place of the usual
// commit: given the staging and every destination (full paths, in the
// order of the files). It ends with a commit or a roll_back of `staging`.
using copy_commit =
    std::function<void(staged_replacement& staging, const std::vector<std::filesystem::path>& destinations)>;

// Copies each of `files` (all below `archives_folder`) to the same place
// below `game_folder`, with one shell copy that replaces existing files and
// creates missing folders without asking; all or nothing: the game's files
// that the copy replaces wait in the staging folder until every destination
// holds as many bytes as its patch file, and come back when the copy fails,
// is cancelled or leaves a file out. What earlier runs left there is put
// right first. The caller holds the game folder's install lock, and after
// telling the player calls remove_replaced_originals.
// Throws std::runtime_error when a file lies outside archives or below a link
// in it (a link to a file included) or would land in the installer's own
// folders (both before anything is changed), game_unchanged_error
// when a destination cannot be examined or a game file moved aside, or the
// copy fails and is undone, and rollback_failed_error when undoing fails.
// `commit`, when given, commits in place of the usual commit.
void deploy_archive_files(const std::vector<std::filesystem::path>& files,
                          const std::filesystem::path& archives_folder,
                          const std::filesystem::path& game_folder, const copy_commit& commit = {});

// Does what deploy_archive_files does, with each file's place below the game
// folder, `relatives`, already resolved by patch_destinations.
void deploy_to_destinations(const std::vector<std::filesystem::path>& files,
                            std::vector<std::filesystem::path> relatives,
                            const std::filesystem::path& game_folder, const copy_commit& commit = {});

// Where each of `files` (all below `archives_folder`) lands, relative to the
// game folder: its place below archives. Throws as deploy_archive_files does
// for a file outside archives or below a link in it, or one that would land
// in the installer's own folders.
std::vector<std::filesystem::path> patch_destinations(const std::vector<std::filesystem::path>& files,
                                                      const std::filesystem::path& archives_folder);
