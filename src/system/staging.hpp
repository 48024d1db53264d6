#pragma once

#include <filesystem>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

// The patch was not installed and the game folder is as it was: a game file
// could not be examined or moved aside before the copy, or the copy failed
// and was undone. what() says why.
struct game_unchanged_error : std::runtime_error {
  explicit game_unchanged_error(const std::string& reason, unsigned long code = 0,
                                std::filesystem::path game_folder = {})
      : std::runtime_error(reason), code(code), game_folder(std::move(game_folder)) {}
  unsigned long code;                 // the Windows code behind it, 0 when none
  std::filesystem::path game_folder;  // where it happened, when known
};

// Undoing a failed copy, or the one a killed run left, failed: some original
// files still lie in the staging folder, which what() names with the reason.
struct rollback_failed_error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The folder inside a game folder where the game's own files wait while the
// patch is copied over them.
inline constexpr wchar_t staging_folder_name[] = L".patch-rollback";

// What the staging folder becomes, in one rename, once the copy has
// succeeded: the originals in it are replaced for good and only wait to be
// deleted. A run that finds it deletes it; a run that finds the staging
// folder puts its originals back.
inline constexpr wchar_t committed_folder_name[] = L".patch-rollback.done";

// The folder inside a game folder where installs that keep the game's
// originals keep them, one folder per patch, for the patch to be removed.
inline constexpr wchar_t backup_folder_name[] = L".patch-backup";

// Whether `name` (one element of a path) names one of the three folders
// above in any letter case, as Windows compares file names. Throws nothing.
bool is_staging_name(const std::filesystem::path& name) noexcept;

// Moves each of `relatives` from below `from` to the same place below `to`
// (on one volume), creating the folders on the way and, when `replace`,
// replacing the files there. All are tried; what failed first is returned.
// Throws only std::bad_alloc.
std::optional<std::string> move_files_between(const std::filesystem::path& from,
                                              const std::filesystem::path& to,
                                              const std::vector<std::filesystem::path>& relatives,
                                              bool replace);

// Every file below `folder`, relative to it; none when it does not exist.
// Throws rollback_failed_error when it cannot be listed: the originals in
// it cannot be put back.
std::vector<std::filesystem::path> originals_below(const std::filesystem::path& folder);

// Removes `folder` and the empty folders below it, as far as it can be
// listed; whether it is gone. Throws only std::bad_alloc.
bool remove_empty_tree(const std::filesystem::path& folder);

// Removes `folders` (full paths) where they are empty, deepest first.
void remove_empty_folders(std::vector<std::filesystem::path> folders);

// Renames `from` to `to` (no file there allowed), trying again for a second
// while a virus scanner reading a file just moved keeps it from happening.
// Returns 0 or the Windows code. Throws nothing.
unsigned long rename_when_free(const std::filesystem::path& from, const std::filesystem::path& to) noexcept;

// Deletes the committed folder that an earlier run left and puts back what a
// killed run left in the staging folder. Throws game_unchanged_error when the
// committed folder cannot be deleted and rollback_failed_error when
// something cannot be put back.
void finish_earlier_runs(const std::filesystem::path& game_folder);

// Makes replacing files below a game folder undoable. Before the copy the
// game's files at the destinations are renamed, with the same relative
// paths, into the staging folder (on one volume, so no data moves); after
// it, commit() records the success or roll_back() deletes what the copy
// wrote and puts them back. What earlier runs left is dealt with first.
// Needs the game folder's install lock for its whole life.
class staged_replacement {
 public:
  // Deletes a committed folder that an earlier run left and puts back what a
  // killed run left in the staging folder; then examines every destination
  // (relative to `game_folder`) before it moves aside the files there.
  // Throws game_unchanged_error, naming the file, when a committed folder
  // cannot be deleted, a destination cannot be examined, a folder stands
  // where a patch file goes or a file where the patch needs a folder, or a
  // file cannot be moved aside (what was moved is put back first); and
  // rollback_failed_error when something cannot be put back.
  staged_replacement(std::filesystem::path game_folder, std::vector<std::filesystem::path> destinations);
  staged_replacement(const staged_replacement&) = delete;
  staged_replacement& operator=(const staged_replacement&) = delete;

  // Records that the copy succeeded: the staging folder becomes the
  // committed folder in one rename. When that fails, undoes the copy as
  // roll_back does, and throws as it does.
  void commit();
  // Records that the copy succeeded and keeps the replaced originals: the
  // staging folder becomes `originals` inside the folder `pending` (when
  // anything was replaced), and `pending` becomes `committed` in one rename,
  // the commit. When a rename fails, the originals go back to the staging
  // folder and the copy is undone as roll_back does, which throws as it
  // does; `pending` is then the caller's to delete.
  void commit_keeping(const std::filesystem::path& originals, const std::filesystem::path& pending,
                      const std::filesystem::path& committed);

  // The destinations whose game files were moved aside (relative), and the
  // folders the copy creates (full paths).
  const std::vector<std::filesystem::path>& replaced() const { return moved_; }
  const std::vector<std::filesystem::path>& created_folders() const { return created_folders_; }
  // Undoes the copy that failed for `reason`: deletes every destination file,
  // removes the folders the copy created and puts the originals back. Always
  // throws: game_unchanged_error with `reason`, or rollback_failed_error.
  [[noreturn]] void roll_back(const std::string& reason);

 private:
  std::filesystem::path staging() const { return game_folder_ / staging_folder_name; }
  void move_aside(const std::vector<std::filesystem::path>& existing);

  std::filesystem::path game_folder_;
  std::vector<std::filesystem::path> destinations_;     // relative
  std::vector<std::filesystem::path> created_folders_;  // absolute
  std::vector<std::filesystem::path> moved_;            // relative, in the order moved
};

// Deletes the originals that a committed install replaced: the committed
// folder, read-only files included. What cannot be deleted now is deleted by
// the next run. Call it with the install lock still held. Throws only
// std::bad_alloc.
void remove_replaced_originals(const std::filesystem::path& game_folder);
