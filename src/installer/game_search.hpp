#pragma once

#include "installer/game_version.hpp"
#include "patch/patch_config.hpp"
#include "system/install_log.hpp"

#include <filesystem>
#include <optional>
#include <variant>

// No source knows a folder of the game.
struct game_not_found {};
// The player cancelled the folder picker.
struct search_cancelled {};

// Where the search for the game ended: a folder of an accepted version; the
// first folder found of another version, when no source knows an accepted
// one; no folder at all; or the player cancelled.
using game_search = std::variant<std::filesystem::path, version_mismatch, game_not_found, search_cancelled>;

// The game's folder from the first source that knows one of an accepted
// version: the game's own registry value, Steam, GOG, the Epic Games
// launcher, the Xbox app, Ubisoft Connect, Heroic, the Amazon Games app,
// the Battle.net app, the EA app, the Rockstar Games Launcher, the Legacy
// Games launcher, the Humble App. Writes the sources' lines to `log` and
// each folder's version verdict after them (nothing when the registry's
// folder is taken at once). Never asks the player.
// Throws what the sources throw, with the file it came from recorded in the
// log's location.
game_search find_game_folder(const patch_config& config, version_check& versions, search_log& log);

// Where the folder picker opens when the search found nothing: under Wine,
// beside Steam for Linux's games (steam_games_folder_under_wine), with a
// line in `log`; on Windows nothing, the picker's own choice. Throws as the
// Steam search does.
std::optional<std::filesystem::path> picker_start_folder(const patch_config& config, search_log& log);
