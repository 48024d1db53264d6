#pragma once

#include "install/copy.hpp"
#include "install/install_lock.hpp"
#include "install/kept_originals.hpp"
#include "install/recovery.hpp"
#include "install/removal.hpp"
#include "patch/patch_config.hpp"

#include <filesystem>

// Changing a game folder all or nothing: what the program calls. A run
// takes the game folder's install lock, finishes what earlier runs left
// (finish_earlier_runs), examines what the folder holds of its patch
// (examine_patch_on_game), then installs the patch or takes it off
// (remove_patch), and after telling the player deletes the replaced
// originals (remove_replaced_originals).

// Whether `name` (one element of a path) names one of the installer's own
// folders in a game folder, in any letter case, as Windows compares file
// names: no patch file may land there. Throws nothing.
bool is_installer_folder_name(const std::filesystem::path& name) noexcept;

// Copies `patch` into `game_folder`, all or nothing: the game's files that
// it replaces wait in the staging folder until every file has arrived
// whole, and come back when the copy fails. Keeps the replaced originals,
// with a record of the install, when config.json says so or the patch is
// already recorded there (`on_game`: a repair, or another version of it).
// Throws installer_error: install_undone when the game is as it was,
// install_left when undoing failed.
void install_patch(const patch_config& config, const patch_files& patch, const patch_on_game& on_game,
                   const std::filesystem::path& game_folder);
