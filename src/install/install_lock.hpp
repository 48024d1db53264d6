#pragma once

#include "system/handle.hpp"

#include <filesystem>
#include <optional>

// The right to change one game folder; given up when it goes out of scope,
// and by Windows when the process ends however it ends, so that a killed run
// never blocks the next one.
using install_lock = unique_mutex_hold;

// Takes the right to change `game_folder`, which one installer at a time has
// on this machine, whoever runs it and by whatever path it names the folder
// (another letter case, a short name, a link, another drive letter). Does
// not wait: nothing when another installer holds it. Throws installer_error
// naming the folder when it cannot be opened or the lock cannot be made.
std::optional<install_lock> lock_game_folder(const std::filesystem::path& game_folder);
