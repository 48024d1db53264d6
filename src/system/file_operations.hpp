#pragma once

#include "base/failure.hpp"
#include "system/handle.hpp"

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// Files and folders as Windows sees and changes them. Read-only files and
// folders (as a disc leaves them) are changed like any other. A failure
// names the path and carries Windows' code; nothing here throws but
// std::bad_alloc.

// Whether `a` and `b` name the same file as Windows compares names: letter
// case aside, by the system's own case mapping.
bool same_file_name(const std::filesystem::path& a, const std::filesystem::path& b) noexcept;

// Orders paths as Windows compares names, so that a map finds a file
// whatever the letter case it is named in.
struct file_name_less {
  bool operator()(const std::filesystem::path& a, const std::filesystem::path& b) const noexcept;
};

// Whether `failed` says that a file or folder is not there.
bool is_not_found(const failure& failed) noexcept;

// What stands at a path.
enum class path_kind {
  none,       // nothing, in a folder that exists
  no_folder,  // a folder on the way to it is missing (or is a file)
  file,       // a file, or a link to one
  folder,     // a folder, or a link to one
};

// What stands at `path` itself (a link at its end is not followed); a
// failure when Windows cannot tell.
[[nodiscard]] result<path_kind> examine_path(const std::filesystem::path& path);

// Whether `folder` is a full path (drive or share and root) to a folder that
// exists now. A relative path would be taken against the current folder,
// where the patch would land beside the installer.
bool is_existing_folder(const std::filesystem::path& folder) noexcept;

// The size of the file `file`; a failure (not found, for a folder too) when
// there is no such file.
[[nodiscard]] result<std::uint64_t> file_size_of(const std::filesystem::path& file);

// What names a file or folder on this machine whatever path leads to it (a
// letter case, a short name, a link, another drive letter): its volume's
// serial number and its index on that volume, as hexadecimal text.
[[nodiscard]] result<std::wstring> file_identity(const std::filesystem::path& path);

// Creates `folder` and the folders above it that are missing, asking Windows
// only about those not in `made`, to which it adds them.
[[nodiscard]] result<> create_folders(const std::filesystem::path& folder,
                                      std::set<std::filesystem::path>& made);

// Renames the file `from` to `to` (on one volume, so no data moves), with no
// file at `to` allowed (replace false) or replacing the one there.
[[nodiscard]] result<> move_file(const std::filesystem::path& from, const std::filesystem::path& to,
                                 bool replace);

// As move_file with no file at `to`, trying again for a second while a virus
// scanner reading a file just moved keeps it from happening.
[[nodiscard]] result<> rename_when_free(const std::filesystem::path& from, const std::filesystem::path& to);

// Deletes the file `file`; done also when it was never there.
[[nodiscard]] result<> delete_file(const std::filesystem::path& file);

// Removes the folder `folder` when it is empty.
[[nodiscard]] result<> remove_folder(const std::filesystem::path& folder);

// Everything below a folder, as full paths, in the order Windows lists it,
// depth first. Links (symbolic links and junctions, which stand for another
// place) are listed apart and never entered; other reparse points
// (placeholders of a synced cloud folder) are ordinary files and folders.
struct folder_tree {
  std::vector<std::filesystem::path> files;
  std::vector<std::uint64_t> sizes;                 // of each of `files`
  std::vector<std::filesystem::path> folders;       // parents before their subfolders
  std::vector<std::filesystem::path> folder_links;  // links to folders, not entered
  std::vector<std::filesystem::path> file_links;    // links to files
};

enum class depth { folder_only, whole_tree };

// Lists what is below `folder`. A failure names the folder that could not
// be listed (`folder` itself missing included: is_not_found tells).
[[nodiscard]] result<folder_tree> list_tree(const std::filesystem::path& folder,
                                            depth how = depth::whole_tree);

// Deletes `folder` and everything below it (links, not what they lead to);
// done also when it was never there. On a failure, everything else is still
// deleted (nothing, when the folder cannot be listed), and the first failure
// is given.
[[nodiscard]] result<> remove_tree(const std::filesystem::path& folder);

// A file opened for reading from start to end, and its size.
struct file_for_reading {
  unique_hfile handle;
  std::uint64_t size = 0;
};

// Opens `file` to be read once from start to end, letting others read,
// write and delete it meanwhile (a launcher may be writing its files).
[[nodiscard]] result<file_for_reading> open_for_reading(const std::filesystem::path& file);

// The bytes of the file `file`, opened as open_for_reading opens it; a
// failure too when it is larger than `largest` bytes.
[[nodiscard]] result<std::string> read_small_file(const std::filesystem::path& file, std::size_t largest);

// Writes `bytes` as the new file `file` (none may be there) and flushes it
// to the disk.
[[nodiscard]] result<> write_new_file(const std::filesystem::path& file, std::string_view bytes);

// Replaces the file `file` (or makes it) with `bytes` in one step: whoever
// reads it sees the old bytes or the new ones, never a part.
[[nodiscard]] result<> replace_file(const std::filesystem::path& file, std::string_view bytes);
