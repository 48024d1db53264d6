#pragma once

#include "patch/patch_config.hpp"

#include <filesystem>
#include <optional>

// Asks the player where the game is, with the standard folder picker, until
// they choose a folder that holds the game's executable (process_name,
// directly or up to three folder levels below) or cancel, in the picker or
// in the box that offers to choose again. Returns the chosen folder, or
// nothing when the player cancelled. Remembers nothing. Throws
// std::system_error when the picker cannot be shown.
std::optional<std::filesystem::path> ask_for_game_folder(const patch_config& config);
