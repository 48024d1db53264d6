#pragma once

#include "install/backup.hpp"
#include "install/copy.hpp"
#include "install/staging.hpp"
#include "patch/patch_config.hpp"

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// What the game folder holds of this run's patch, as its record says.
enum class patch_state {
  unrecorded,  // no record of it: installed as usual (keeping the originals if config.json says so)
  changed,     // its record, but a file it wrote has changed, or it is another version: repaired
  on,          // every file it wrote is still what it wrote (or what a later patch wrote over it)
};

// This run's patch and what the game folder holds of it.
struct patch_on_game {
  patch_state state = patch_state::unrecorded;
  std::string id;                   // computed only when records may be there
  std::optional<stored_patch> own;  // its committed record, when there is one
  // Each patch file's SHA-256 (nothing for one that was gone), when telling
  // the state needed them.
  std::vector<std::optional<std::string>> hashes;
  // A file of it that another patch wrote over, and that patch.
  std::optional<std::pair<std::string, patch_record>> covered;
  // Its record's files (as the record names them) where the game holds
  // neither what it wrote nor what a later patch wrote: a repair keeps what
  // it finds there as their originals.
  std::vector<std::string> changed_by_game;
};

// Whether the patch `patch` is on `game_folder`. Without a backup folder
// there, and unless config.json keeps originals, the id is not even
// computed. A record of this patch that is not of these patch files
// (another version of it) counts as changed. Reads the game folder only;
// needs its install lock. Throws record_error when this patch's record
// cannot be trusted, installer_error when a file cannot be read or the
// backup folder cannot be listed.
patch_on_game examine_patch_on_game(const patch_config& config, const patch_files& patch,
                                    const std::filesystem::path& game_folder);

// The SHA-256 of each file of `patch`, or why they are not known; in the
// order of its files.
using patch_hashes = result<std::vector<std::optional<std::string>>>;

// Commits the copy in `staging` keeping the originals: writes the record
// of `patch` (with `hashes`, the SHA-256 of every file written) and commits
// it with the originals; or, when the patch already has a record (a repair,
// or another version of it), refreshes that record, keeps its older
// originals but where the game changed a file (changed_by_game: what it
// holds there becomes the original), and commits as usual. A failure undoes
// the copy.
void commit_keeping_originals(staged_replacement& staging, const patch_config& config,
                              const patch_files& patch, const patch_on_game& on_game,
                              const patch_hashes& hashes, const std::filesystem::path& game_folder);

// Undoes the install that a killed run left uncommitted in `pending` (its
// "<id>.new" folder): its originals go back, and the files and folders its
// record says it created are deleted. Throws installer_error
// (install_left) when originals cannot be put back.
void undo_uncommitted_install(const std::filesystem::path& game_folder, const std::filesystem::path& pending);
