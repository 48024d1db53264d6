#pragma once

#include "patch/patch_config.hpp"
#include "system/install_log.hpp"

#include <filesystem>
#include <optional>

// The game's folder as the Epic Games launcher records it: among the
// launcher's install manifests (*.item in <data folder>\Manifests, the data
// folder from HKLM\SOFTWARE\Epic Games\EpicGamesLauncher, value AppDataPath,
// 32-bit registry, else <ProgramData>\Epic\EpicGamesLauncher\Data), the
// first in name order whose AppName is epic_app_name and whose install is
// complete; its InstallLocation, which must be a full path to an existing
// folder. Manifests that cannot be read, are larger than 1 MiB, are not JSON
// objects or lack those members are passed over. Nothing when epic_app_name
// is empty or no manifest qualifies. Adds what it tried to the log
// (not when epic_app_name is empty). Throws only std::bad_alloc.
std::optional<std::filesystem::path> locate_epic_install(const patch_config& config, search_log& log);
