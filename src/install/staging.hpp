#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The folder inside a game folder where the game's own files wait while the
// patch is copied over them.
inline constexpr wchar_t staging_folder_name[] = L".patch-rollback";

// What the staging folder becomes, in one rename, once the copy has
// succeeded: the originals in it are replaced for good and only wait to be
// deleted. A run that finds it deletes it; a run that finds the staging
// folder puts its originals back.
inline constexpr wchar_t committed_folder_name[] = L".patch-rollback.done";

// The file in the staging folder that lists what the run creates in the game
// folder, written and flushed before it changes anything there: whenever a
// run is killed, the next one takes exactly that away again.
inline constexpr wchar_t created_list_name[] = L".patch-created";

// Makes replacing files below a game folder undoable. Before the copy the
// staging folder lists what the copy creates, and the game's files at the
// destinations are renamed, with the same relative paths, into it (on one
// volume, so no data moves); after it, commit() records the success or
// roll_back() deletes what the copy wrote and puts them back. Needs the
// game folder's install lock for its whole life, and what earlier runs left
// put right first (finish_earlier_runs). Every failure is an
// installer_error: install_undone when the game is as it was, install_left
// when some originals could not be put back (its text says where they are).
class staged_replacement {
 public:
  // Examines every destination (relative to `game_folder`) and lists what
  // the copy creates before it moves aside the game's files there. Throws,
  // naming the file, when a destination cannot be examined, a folder stands
  // where a patch file goes or a file where the patch needs a folder, the
  // list cannot be written or a file cannot be moved aside (what was moved
  // is put back first).
  staged_replacement(std::filesystem::path game_folder, std::vector<std::filesystem::path> destinations);
  staged_replacement(const staged_replacement&) = delete;
  staged_replacement& operator=(const staged_replacement&) = delete;

  // Records that the copy succeeded: the staging folder becomes the
  // committed folder in one rename. When that fails, undoes the copy as
  // roll_back does.
  void commit();
  // Records that the copy succeeded and keeps the replaced originals, once
  // the record in the folder `pending` lists what the copy created: the
  // staging folder becomes `originals` inside `pending` (when anything was
  // replaced), and `pending` becomes `committed` in one rename, the commit.
  // When a rename fails, the originals go back to the staging folder and the
  // copy is undone as roll_back does; `pending` is then the caller's to
  // delete.
  void commit_keeping(const std::filesystem::path& originals, const std::filesystem::path& pending,
                      const std::filesystem::path& committed);

  // The destinations whose game files were moved aside (relative), and the
  // folders the copy creates (full paths).
  const std::vector<std::filesystem::path>& replaced() const { return moved_; }
  const std::vector<std::filesystem::path>& created_folders() const { return created_folders_; }
  // Where the game's files wait, at their places below the game folder.
  std::filesystem::path staged() const { return game_folder_ / staging_folder_name; }
  // Undoes the copy that failed for `reason`: deletes every destination file,
  // removes the folders the copy created and puts the originals back. Always
  // throws.
  [[noreturn]] void roll_back(const std::string& reason);

 private:
  void list_created(const std::vector<std::filesystem::path>& files);
  // Deletes the list of what the copy creates, and the staging folder when
  // it holds nothing else; whether that folder is gone.
  bool clear_staging();
  void move_aside(const std::vector<std::filesystem::path>& existing);

  std::filesystem::path game_folder_;
  std::vector<std::filesystem::path> destinations_;     // relative
  std::vector<std::filesystem::path> created_folders_;  // absolute
  std::vector<std::filesystem::path> moved_;            // relative, in the order moved
};

// Deletes the committed folder that an earlier run left, and undoes what a
// killed run left staged: deletes the files and folders it listed as
// created and puts back the originals it moved aside. Throws
// installer_error: install_undone when the committed folder cannot be
// deleted, install_left when something cannot be deleted or put back.
void finish_staging_of_earlier_runs(const std::filesystem::path& game_folder);

// Deletes the originals that a committed install replaced: the committed
// folder, read-only files included. What cannot be deleted now is deleted by
// the next run. Call it with the install lock still held. Throws only
// std::bad_alloc.
void remove_replaced_originals(const std::filesystem::path& game_folder);
