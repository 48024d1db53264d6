#pragma once

#include "patch/patch_config.hpp"
#include "system/install_log.hpp"

#include <filesystem>
#include <optional>

// The game's folder as a launcher records it in the game's uninstall entry
// (see uninstall_entries.hpp): the first entry whose UninstallString runs the
// launcher's uninstaller for config.json's id of the game gives its
// InstallLocation, which must be a full path to an existing folder. Ids are
// compared letter case aside. Nothing when config.json gives no id for the
// launcher or no entry qualifies. Adds what it tried to the log (not
// without an id). Throw only std::bad_alloc.

// The Amazon Games app: UninstallString "<...>\Amazon Game Remover.exe" -m
// Game -p <amazon_id>.
std::optional<std::filesystem::path> locate_amazon_install(const patch_config& config, search_log& log);

// The Battle.net app: UninstallString "<...>\Battle.net\<...>.exe" (or a
// Battle.net.exe) ... --uid=<battlenet_uid> ...
std::optional<std::filesystem::path> locate_battlenet_install(const patch_config& config, search_log& log);
