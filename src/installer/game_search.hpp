#pragma once

#include "installer/game_version.hpp"
#include "installer/messages.hpp"
#include "patch/patch_config.hpp"
#include "system/error_location.hpp"

#include <filesystem>
#include <optional>

// Where the search for the game ended.
struct game_search {
  std::optional<std::filesystem::path> folder;  // a folder of an accepted version
  std::optional<version_mismatch> wrong;        // the first folder of another version
  bool cancelled = false;                       // the player cancelled the folder picker
};

// The game's folder from the first source that knows one of an accepted
// version: the game's own registry value, Steam, GOG, the Epic Games
// launcher, the Xbox app, Ubisoft Connect, Heroic, and then, when
// config.json allows it and `asking` is given, the player, in its words.
// Rewrites install_log.log with the searches' lines and each folder's version
// verdict after them (leaves it as it was when the registry's folder is
// taken at once). Throws what the searches and the picker throw, with the
// file it came from recorded in `location`.
game_search find_game_folder(const patch_config& config, version_check& versions, error_location& location,
                             const player_messages* asking);
