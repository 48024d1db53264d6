#pragma once

#include "patch/patch_config.hpp"
#include "system/install_log.hpp"

#include <filesystem>
#include <optional>

// The game's folder as the EA app installs it: a game's folder holds
// __Installer\installerdata.xml, whose <contentIDs> lists the game's ids.
// The folders looked at are the InstallLocation of each uninstall entry (see
// uninstall_entries.hpp) whose UninstallString runs a program below an
// EAInstaller or an EA Desktop folder, then every folder in <Program
// Files>\EA Games, the EA app's default, each once. The first whose
// installer data lists ea_content_id (letter case aside) gives its folder.
// Entries, folders and installer data that cannot be read are passed over.
// Nothing when ea_content_id is empty or no folder qualifies. Adds what it
// tried to the log (not when ea_content_id is empty). Throws only
// std::bad_alloc.
std::optional<std::filesystem::path> locate_ea_install(const patch_config& config, search_log& log);
