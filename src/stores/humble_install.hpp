#pragma once

#include "patch/patch_config.hpp"
#include "system/install_log.hpp"

#include <filesystem>
#include <optional>

// The game's folder as the Humble App records it in its settings, Humble
// App\config.json in the roaming application data folder (%APPDATA%): the
// filePath of the first entry of its game collection (the array
// game-collection-4) whose machineName is humble_id and whose status is
// "downloaded" or "installed"; it must be a full path to an existing folder.
// Other entries, whatever their shape, are not looked at; a file that cannot
// be read, is larger than 1 MiB or is not JSON is passed over. Nothing when
// humble_id is empty or no entry qualifies. Adds what it tried to the log
// (not when humble_id is empty). Throws only std::bad_alloc.
std::optional<std::filesystem::path> locate_humble_install(const patch_config& config, search_log& log);
