#pragma once

#include <filesystem>

// Whether `path` is a symbolic link or a junction that stands for a folder,
// whether or not that folder exists. False for ordinary folders, also for
// those that are reparse points of another kind (placeholders of a synced
// cloud folder, deduplicated data), and when the entry cannot be read.
// Throws nothing.
bool is_link_to_folder(const std::filesystem::path& path) noexcept;
