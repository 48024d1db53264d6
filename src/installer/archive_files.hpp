#pragma once

#include "patch/patch_config.hpp"
#include "system/error_location.hpp"

#include <filesystem>
#include <vector>

// Every file below `archives_folder`, depth first in the order the file
// system lists them, except those named exactly "config.json" (at any depth;
// case-sensitive). Links to folders are neither listed nor entered.
// Throws std::filesystem::filesystem_error when a folder cannot be read or an
// entry's type cannot be determined, std::runtime_error naming the file when
// a file is a link.
std::vector<std::filesystem::path> collect_archive_files(const std::filesystem::path& archives_folder);

// Throws std::runtime_error naming the first of `files` that is a link to
// another file, whose target may lie anywhere: copying it would put a file
// from outside the patch into the game folder.
void refuse_links_to_files(const std::vector<std::filesystem::path>& files);

// Reads archives\config.json, the configuration; a failure names that file
// as the player knows it, beside the installer, in `location`. Throws what
// load_patch_config throws.
patch_config read_archives_config(const std::filesystem::path& archives, error_location& location);
