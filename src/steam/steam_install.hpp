#pragma once

#include "config.hpp"

#include <filesystem>
#include <optional>

// The game's folder in a Steam library, or nothing when Steam or the game's
// app manifest cannot be found.
std::optional<std::filesystem::path> locate_steam_install(const patch_config& config);
