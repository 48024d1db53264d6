#pragma once

#include "installer/game_version.hpp"
#include "installer/messages.hpp"
#include "patch/patch_config.hpp"

#include <filesystem>
#include <optional>

// Asks the player where the game is, with the standard folder picker, until
// they choose a folder that holds the game's executable at its place
// (executable_path, else process_name directly in it) and, when config.json
// lists versions, an accepted version; or cancel, in the picker or in the
// box that offers to choose again, all in the words of `messages`. Returns
// the chosen folder, or nothing when the player cancelled. The picker opens
// in `start` when given. Remembers nothing. Throws installer_error when the
// picker cannot be shown or a game file cannot be read.
std::optional<std::filesystem::path> ask_for_game_folder(const patch_config& config, version_check& versions,
                                                         const player_messages& messages,
                                                         const std::optional<std::filesystem::path>& start);
