#pragma once

#include <filesystem>

// Links as Windows sees them: symbolic links and junctions, which stand for
// another place. Other reparse points (placeholders of a synced cloud
// folder, deduplicated data) are ordinary files and folders here. Both
// answer false when the entry cannot be read. Neither throws.

// Whether `path` is a link that stands for a folder, whether or not that
// folder exists.
bool is_link_to_folder(const std::filesystem::path& path) noexcept;

// Whether `path` is a link that stands for a file, whether or not that file
// exists.
bool is_link_to_file(const std::filesystem::path& path) noexcept;

// Whether `path` is a link, to a file or a folder, whether or not that
// exists.
bool is_link(const std::filesystem::path& path) noexcept;
