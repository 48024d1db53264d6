#pragma once

#include "patch/patch_config.hpp"

#include <filesystem>
#include <optional>

// The game folder that the game's own installer left in
// HKCU\Software\Mirelune\<registry_key>, value InstallPath (REG_SZ of at most
// 259 characters). A missing, unreadable, too long or non-string value, one
// that is not a full path (empty or relative) and one whose folder does not
// exist give nothing. Throws only std::bad_alloc.
std::optional<std::filesystem::path> read_registry_install_path(const patch_config& config);
