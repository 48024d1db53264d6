#pragma once

#include "install/copy.hpp"
#include "patch/patch_config.hpp"
#include "system/error_location.hpp"
#include "system/file_operations.hpp"

#include <filesystem>

// Reads archives\config.json, the configuration; a failure names that file
// as the player knows it, beside the installer, in `location`. Throws what
// load_patch_config throws.
patch_config read_archives_config(const std::filesystem::path& archives, error_location& location);

// Whether archives\config.json is there. Throws only std::bad_alloc.
bool holds_config(const std::filesystem::path& archives);

// Everything below `archives` listed once, as Windows lists it: a link there
// may lead anywhere, to files that are no part of the patch. Throws
// installer_error naming the folder when a folder cannot be listed.
folder_tree list_archives(const std::filesystem::path& archives);

// The patch in `archives` when config.json does not seal it: every file
// below it (listed by list_archives) except those named exactly
// "config.json" (at any depth; case-sensitive), depth first in the order
// Windows lists them, each to land at its place below archives. Links to
// folders are neither listed nor entered. Throws what list_archives throws,
// and installer_error naming the file when a file is a link to another
// file, or would land in the installer's own folders.
patch_files read_unsealed_patch(const std::filesystem::path& archives);

// The place of the patch file `file` below the game folder: its place below
// `archives`. Throws installer_error naming the file when it would land in
// the installer's own folders.
std::filesystem::path destination_of(const std::filesystem::path& file,
                                     const std::filesystem::path& archives);
