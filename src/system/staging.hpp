#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

// The patch was not installed and the game folder is as it was: a game file
// could not be moved aside before the copy, or the copy failed and was
// undone. what() says why.
struct game_unchanged_error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Undoing a failed copy, or the one a killed run left, failed: some original
// files still lie in the staging folder, which what() names with the reason.
struct rollback_failed_error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The folder inside a game folder where the game's own files wait while the
// patch is copied over them.
inline constexpr wchar_t staging_folder_name[] = L".patch-rollback";

// Makes replacing files below a game folder undoable. Before the copy the
// game's files at the destinations are renamed, with the same relative
// paths, into the staging folder (on one volume, so no data moves); after
// it, commit() drops them or roll_back() deletes what the copy wrote and
// puts them back. A staging folder that a killed run left is put back first.
class staged_replacement {
 public:
  // Puts back what a killed run left in the staging folder, then moves aside
  // the files at `destinations` (relative to `game_folder`) that exist.
  // Throws rollback_failed_error when leftovers cannot be put back, and
  // game_unchanged_error naming the file when one cannot be moved aside (what
  // was moved is put back first) or a folder stands where a file must go.
  staged_replacement(std::filesystem::path game_folder, std::vector<std::filesystem::path> destinations);
  // Deletes the staging folder and the originals in it. Throws nothing; a
  // staging folder that cannot be deleted is put back by the next run.
  void commit() noexcept;
  // Undoes the copy that failed for `reason`: deletes every destination file,
  // removes the folders the copy created and puts the originals back. Always
  // throws: game_unchanged_error with `reason`, or rollback_failed_error.
  [[noreturn]] void roll_back(const std::string& reason);

 private:
  std::filesystem::path staging() const { return game_folder_ / staging_folder_name; }

  std::filesystem::path game_folder_;
  std::vector<std::filesystem::path> destinations_;     // relative
  std::vector<std::filesystem::path> created_folders_;  // absolute, parents first
  std::vector<std::filesystem::path> moved_;            // relative, in the order moved
};
