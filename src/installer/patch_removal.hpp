#pragma once

#include "installer/patch_backup.hpp"

#include <filesystem>
#include <stdexcept>
#include <string>

// Taking a patch off failed. what() says why; `game_unchanged` tells
// whether the game is as it was (the patch still on) or whether some files
// could not be put back, which what() then names with where they are.
struct removal_error : std::runtime_error {
  removal_error(const std::string& reason, bool game_unchanged)
      : std::runtime_error(reason), game_unchanged(game_unchanged) {}
  bool game_unchanged;
};

// Takes the patch `patch` off `game_folder`, all or nothing: deletes the
// files it created, puts back every original it replaced, removes the
// folders it created where they are empty, and deletes its backup. Its
// folder is renamed "<id>.removing" first, so that a run killed meanwhile
// is undone by the next one. Needs the game folder's install lock. Throws
// removal_error.
void remove_patch(const std::filesystem::path& game_folder, const stored_patch& patch);

// Puts right what earlier runs left in the backup folder, before this run
// reads a record: an install that did not commit ("<id>.new") is undone,
// a removal that did not finish ("<id>.removing") is undone so that the
// patch is on as before, and a finished removal's leftovers are deleted.
// Then does what finish_earlier_runs does for the staging folder. Needs the
// game folder's install lock. Throws rollback_failed_error when files
// cannot be put back, and what finish_earlier_runs throws.
void finish_earlier_patch_work(const std::filesystem::path& game_folder);
