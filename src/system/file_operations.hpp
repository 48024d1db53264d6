#pragma once

#include "system/handle.hpp"

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// File operations on a game folder as Windows performs them, each reporting
// a failure by its Windows error code (0: done). Read-only files and folders
// (as a disc leaves them) are changed like any other.

// Whether `a` and `b` name the same file as Windows compares names: letter
// case aside, by the system's own case mapping. Throws nothing.
bool same_file_name(const std::filesystem::path& a, const std::filesystem::path& b) noexcept;

// What stands at a path.
enum class path_kind {
  none,       // nothing, in a folder that exists
  no_folder,  // a folder on the way to it is missing (or is a file)
  file,       // a file, or a link to one
  folder,     // a folder, or a link to one
  unknown,    // Windows cannot tell; `error` says why
};

struct path_state {
  path_kind kind = path_kind::none;
  unsigned long error = 0;  // the Windows code when the kind is unknown
};

// What stands at `path` itself (a link at its end is not followed). Only
// Windows' "file not found" and "path not found" mean that nothing is there.
// Throws nothing.
path_state examine_path(const std::filesystem::path& path) noexcept;

// The size of the file `file`, or nothing when there is no such file (or it
// is a folder, or cannot be examined). Throws nothing.
std::optional<unsigned long long> file_size_of(const std::filesystem::path& file) noexcept;

// Creates `folder` and the folders above it that are missing, asking Windows
// only about those not in `made`, to which it adds them. Returns 0 or the
// Windows code. Throws only std::bad_alloc.
unsigned long create_folders(const std::filesystem::path& folder, std::set<std::filesystem::path>& made);

// Renames the file `from` to `to` (on one volume, so no data moves), with no
// file at `to` allowed (replace false) or replacing the one there. Returns 0
// or the Windows code. Throws nothing.
unsigned long move_file(const std::filesystem::path& from, const std::filesystem::path& to,
                        bool replace) noexcept;

// Deletes the file `file`. Returns 0 when it is gone, also when it was never
// there, or the Windows code. Throws nothing.
unsigned long delete_file(const std::filesystem::path& file) noexcept;

// Removes the folder `folder` when it is empty. Returns 0 or the Windows
// code. Throws nothing.
unsigned long remove_folder(const std::filesystem::path& folder) noexcept;

// Everything below a folder, as full paths.
struct folder_tree {
  std::vector<std::filesystem::path> files;
  std::vector<std::filesystem::path> folders;       // parents before their subfolders
  std::vector<std::filesystem::path> folder_links;  // links to folders, not entered
};

// Lists everything below `folder` into `tree` (only what is in it, unless
// `deep`), without entering links; a missing folder gives an empty tree. Nothing, or what failed with the
// Windows code when a folder cannot be listed (`tree` then holds what was
// listed so far). Throws only std::bad_alloc.
std::optional<std::string> list_tree(const std::filesystem::path& folder, folder_tree& tree,
                                     bool deep = true);

// Lists what is in `folder` itself into `tree`. Returns 0, or the Windows
// code when it cannot be listed, a missing folder included. Throws only
// std::bad_alloc.
unsigned long list_folder(const std::filesystem::path& folder, folder_tree& tree);

// Deletes `folder` and everything below it (links, not what they lead to).
// Nothing when it is gone (also when it was never there), else what failed
// first, with the Windows code: everything else is still deleted, or nothing
// when the folder cannot be listed. Throws only std::bad_alloc.
std::optional<std::string> remove_tree(const std::filesystem::path& folder);

// A file opened for reading from start to end, and its size.
struct file_for_reading {
  unique_hfile handle;
  unsigned long long size = 0;
};

// Opens `file` to be read once from start to end, letting others read and
// delete it meanwhile. Throws windows_error naming the file when it cannot
// be opened (code() tells "not found" apart) or its size asked.
file_for_reading open_for_reading(const std::filesystem::path& file);

// The bytes of the file `file`, which may be read by others meanwhile.
// Throws windows_error naming the file when it cannot be opened or read
// (code() tells "not found" apart), or is larger than `largest` bytes.
std::string read_small_file(const std::filesystem::path& file, std::size_t largest);

// Writes `bytes` as the new file `file` (none may be there) and flushes it
// to the disk. Returns 0 or the Windows code. Throws nothing.
unsigned long write_new_file(const std::filesystem::path& file, std::string_view bytes) noexcept;
