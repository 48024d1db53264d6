#pragma once

#include "patch/patch_config.hpp"
#include "system/install_log.hpp"

#include <filesystem>
#include <optional>

// The game's folder as a launcher records it in one registry value below
// HKEY_LOCAL_MACHINE\SOFTWARE, in the 32-bit registry, else in the 64-bit
// one when the 32-bit one has no such value (the launchers are 32-bit
// programs). Nothing when config.json gives no id for the launcher, when
// neither view has the value, or when it is not a full path to an existing
// folder. Adds what it tried to the log (not without an id). Throw only
// std::bad_alloc.

// GOG Galaxy and GOG's offline installers: GOG.com\Games\<gog_id>, value
// `path`.
std::optional<std::filesystem::path> locate_gog_install(const patch_config& config, search_log& search);

// Ubisoft Connect: Ubisoft\Launcher\Installs\<ubisoft_id>, value InstallDir,
// which the launcher writes with '/' between folders and a closing one.
std::optional<std::filesystem::path> locate_ubisoft_install(const patch_config& config, search_log& search);

// The Rockstar Games Launcher: Rockstar Games\<rockstar_title>, value
// InstallFolder.
std::optional<std::filesystem::path> locate_rockstar_install(const patch_config& config, search_log& search);
