#pragma once

#include "patch/patch_config.hpp"
#include "system/install_log.hpp"

#include <filesystem>
#include <optional>

// The game's folder as the Legacy Games launcher records it: among the
// subkeys of HKEY_CURRENT_USER\Software\Legacy Games, one per game, the
// first whose string value InstallerUUID is legacy_uuid (letter case aside)
// gives its value InstDir, which must be a full path to an existing folder.
// Subkeys whose values cannot be read are passed over. Nothing when
// legacy_uuid is empty or no subkey qualifies. Adds what it tried to the log
// (not when legacy_uuid is empty). Throws only std::bad_alloc.
std::optional<std::filesystem::path> locate_legacy_install(const patch_config& config, search_log& log);
