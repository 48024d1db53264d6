#pragma once

#include "install/backup.hpp"

#include <filesystem>

// Takes the patch `patch` off `game_folder`, all or nothing: deletes the
// files it created, puts back every original it replaced, removes the
// folders it created where they are empty, and deletes its backup. Its
// folder is renamed "<id>.removing" first, so that a run killed meanwhile
// is undone by the next one. Needs the game folder's install lock. Throws
// installer_error: removal_undone when the patch is on as before,
// removal_left when some files could not be put back (its text says where
// they are).
void remove_patch(const std::filesystem::path& game_folder, const stored_patch& patch);

// Undoes the removal that a killed run left in `removing` (its
// "<id>.removing" folder), so that the patch is on as before. Throws
// installer_error (install_left) when that fails, and record_error when its
// record cannot be trusted.
void undo_killed_removal(const std::filesystem::path& game_folder, const std::filesystem::path& removing);
