#pragma once

#include "base/failure.hpp"
#include "patch/patch_record.hpp"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Where an install that keeps the game's originals keeps them: in the game
// folder's backup folder, a folder per patch named by its id, holding
// "record.json" and the originals below "originals" at their places in
// the game folder. A folder is the patch's only once it has its id's name:
// "<id>.new" is an install that has not committed, "<id>.removing" a
// removal under way and "<id>.removed" a finished one.

inline constexpr wchar_t backup_folder_name[] = L".patch-backup";
inline constexpr wchar_t record_file_name[] = L"record.json";
inline constexpr wchar_t originals_folder_name[] = L"originals";

// The backup folder of the game folder, and the folder of the patch `id`
// in it, with `suffix` (".new", ".removing", ".removed") when given.
std::filesystem::path backup_root(const std::filesystem::path& game_folder);
std::filesystem::path patch_backup_folder(const std::filesystem::path& game_folder, std::string_view id,
                                          std::wstring_view suffix = {});

// A patch's id: 16 hexadecimal digits of the SHA-256 of the game's name
// and the patch's destinations (letter case aside), with each file's
// SHA-256 when the patch is sealed (`hashes` in the order of
// `destinations`, or empty). Throws installer_error when hashing fails.
std::string patch_id(std::string_view game_name, const std::vector<std::filesystem::path>& destinations,
                     const std::vector<std::string>& hashes);

// A path relative to the game folder as a record holds it ('/' between
// elements), and back; below the folder `below` when given.
std::string record_path(const std::filesystem::path& relative);
std::filesystem::path from_record_path(const std::string& path);
std::vector<std::filesystem::path> from_record_paths(const std::vector<std::string>& paths,
                                                     const std::filesystem::path& below = {});

// A committed patch of the game folder: its record, and its folder.
struct stored_patch {
  patch_record record;
  std::filesystem::path folder;
};

// The record in `folder`, the folder of its patch with `suffix`. Throws
// record_error naming the file when it cannot be read or trusted, or names
// another patch than the folder.
patch_record read_record_in(const std::filesystem::path& folder, std::wstring_view suffix = {});

// The folders in the backup folder of `game_folder`; none when there is no
// backup folder. Throws installer_error naming the backup folder when it
// cannot be listed: what it holds is unknown, and no patch may be taken
// for absent.
std::vector<std::filesystem::path> backup_folders(const std::filesystem::path& game_folder);

// Every committed patch of `game_folder`, in the order the folder lists
// them. A record of another patch that cannot be read is passed over; one
// of the patch `own_id` throws record_error. Throws what backup_folders
// throws.
std::vector<stored_patch> stored_patches(const std::filesystem::path& game_folder, std::string_view own_id);
