#pragma once

#include "installer/patch_backup.hpp"
#include "patch/patch_config.hpp"
#include "system/deploy.hpp"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct sealed_patch;

// This run's patch and what the game folder holds of it.
struct patch_on_game {
  std::string id;
  // Where the patch files land, relative to the game folder; resolved only
  // when there may be a record to compare them with (then `examined`).
  bool examined = false;
  std::vector<std::filesystem::path> destinations;
  std::vector<std::string> hashes;  // each patch file's SHA-256, when known already
  std::optional<stored_patch> own;  // its committed record, when there is one
  // Every file the patch wrote is still what it wrote, or what a later
  // patch wrote over it: the patch is on, and may be taken off.
  bool intact = false;
  // A file of the patch that another patch wrote over, and that patch.
  std::optional<std::pair<std::string, patch_record>> covered;
};

// Whether the patch of `files` (below `archives`; `sealed` when it is) is on
// `game_folder`. Without a backup folder there, and unless config.json keeps
// originals, the id is not even computed. A record of this patch that is not
// of these patch files (another version of it) counts as a changed install.
// Reads the game folder only; needs its install lock. Throws record_error
// when this patch's record cannot be trusted, windows_error when a file
// cannot be read, and what patch_destinations throws.
patch_on_game examine_patch_on_game(const patch_config& config, const std::filesystem::path& archives,
                                    const std::vector<std::filesystem::path>& files,
                                    const sealed_patch* sealed, const std::filesystem::path& game_folder);

// The commit of an install of `files` that keeps the originals: writes the
// record of `patch` (with the SHA-256 of every file written, hashed from
// `files` while the copy runs unless known) and commits it with the
// originals, or, when the patch already has a record (a repair, or another
// version of it), refreshes that record, keeps its older originals and
// commits as usual. A failure undoes the copy. `config` and `patch` must
// outlive the commit.
copy_commit keeping_originals(const patch_config& config, const patch_on_game& patch,
                              const std::vector<std::filesystem::path>& files,
                              const std::filesystem::path& game_folder);
