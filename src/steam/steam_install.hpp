#pragma once

#include "patch/patch_config.hpp"
#include "system/error_location.hpp"
#include "system/install_log.hpp"

#include <filesystem>
#include <optional>

// The game's folder in the first Steam library (in key order) that holds the
// game's app manifest: <library>\steamapps\common\<installdir>. Nothing when
// Steam's folder is not in the registry or does not exist (an uninstalled
// Steam leaves its value behind), no library holds the manifest or the
// folder it names does not exist; then, under Wine only, the libraries of
// Steam for Linux are searched too (see locate_linux_steam).
// Adds what it tried to the log.
// Throws the parser's errors for a malformed library list or manifest,
// std::bad_variant_access or std::out_of_range for one that lacks what it
// needs, std::filesystem::filesystem_error for a path that is not UTF-8
// (each with the Steam file's full path recorded in the log's location),
// and installer_error for a manifest whose installdir names no folder.
std::optional<std::filesystem::path> locate_steam_install(const patch_config& config, search_log& log);

// Where the folder picker opens under Wine, so that a Steam Deck player
// starts beside the game rather than in the prefix's empty C:\: the
// steamapps\common folder of the first library of Steam for Linux, else the
// Unix home. Nothing on Windows, or when neither exists. Writes no log;
// throws as locate_steam_install.
std::optional<std::filesystem::path> steam_games_folder_under_wine(const patch_config& config,
                                                                   error_location& location);
