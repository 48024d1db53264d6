#pragma once

#include "patch/patch_config.hpp"
#include "system/install_log.hpp"

#include <filesystem>
#include <optional>

// The game's folder as Heroic, a launcher for Epic's and GOG's games that
// their own launchers do not know of, records it in the roaming application
// data folder (%APPDATA%): for epic_app_name, the install_path of that app's
// entry in heroic\legendaryConfig\legendary\installed.json (an object from
// app name to entry); else, for gog_id, the install_path of the first entry
// of the array `installed` in heroic\gog_store\installed.json whose appName
// is gog_id. The install_path must be a full path to an existing folder.
// Under Wine, when those give none, the same lists of Heroic for Linux,
// whose install_path values are Unix paths: in ~/.config/heroic, then in
// its Flatpak's ~/.var/app/com.heroicgameslauncher.hgl/config/heroic, each
// that exists. Files and entries that cannot be read are passed over. Nothing when both
// members are empty or neither file gives a folder. Adds what it tried to
// the log (not when both members are empty). Throws only std::bad_alloc.
std::optional<std::filesystem::path> locate_heroic_install(const patch_config& config, search_log& log);
