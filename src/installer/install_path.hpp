#pragma once

#include "patch/patch_config.hpp"
#include "system/install_log.hpp"

#include <filesystem>
#include <optional>

// The game folder that the game's own installer left in
// HKCU\Software\Mirelune\<registry_key>, value InstallPath (REG_SZ of at most
// 259 characters). A missing, unreadable, too long or non-string value, one
// that is not a full path (empty or relative) and one whose folder does not
// exist give nothing. Writes nothing to the log: a run that takes this folder
// leaves the last search's log as it was. Throws only std::bad_alloc.
std::optional<std::filesystem::path> read_registry_install_path(const patch_config& config,
                                                                search_log& search);
