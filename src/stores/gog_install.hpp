#pragma once

#include "patch/patch_config.hpp"
#include "system/install_log.hpp"

#include <filesystem>
#include <optional>

// The game's folder as GOG Galaxy and GOG's offline installers record it:
// HKLM\SOFTWARE\GOG.com\Games\<gog_id>, value `path`, in the 32-bit
// registry, else in the 64-bit one when the 32-bit one has no such value.
// Nothing when gog_id is empty, when neither view has the value, or when it
// is not a full path to an existing folder. Adds what it tried to
// the log (not when gog_id is empty). Throws only std::bad_alloc.
std::optional<std::filesystem::path> locate_gog_install(const patch_config& config, search_log& search);
