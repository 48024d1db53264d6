#pragma once

#include "base/failure.hpp"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Moving trees of files between a game folder and the installer's own
// folders in it, on one volume, so that no data moves.

// Moves each of `relatives` from below `from` to the same place below `to`,
// creating the folders on the way and, when `replace`, replacing the files
// there. All are tried; the first failure is given. Throws only
// std::bad_alloc.
[[nodiscard]] result<> move_files_between(const std::filesystem::path& from, const std::filesystem::path& to,
                                          const std::vector<std::filesystem::path>& relatives, bool replace);

// Every file below `folder`, relative to it; none when it does not exist.
// A failure when it cannot be listed. Throws only std::bad_alloc.
[[nodiscard]] result<std::vector<std::filesystem::path>> files_below(const std::filesystem::path& folder);

// Removes `folder` and the empty folders below it, as far as it can be
// listed; whether it is gone. Throws only std::bad_alloc.
bool remove_empty_tree(const std::filesystem::path& folder);

// Removes `folders` (full paths) where they are empty, deepest first; those
// that are not empty stay. Throws only std::bad_alloc.
void remove_empty_folders(std::vector<std::filesystem::path> folders);

// "<files> that were not put back are in <folder>", the end of a failure
// that leaves files aside. Throws only std::bad_alloc.
std::string files_left_in(const std::filesystem::path& folder, std::string_view files = "The files");
