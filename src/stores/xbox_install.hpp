#pragma once

#include "patch/patch_config.hpp"
#include "system/install_log.hpp"

#include <filesystem>
#include <optional>

// The game's folder as the Xbox app installs it: on each fixed drive, in
// drive letter order, each folder that the drive's .GamingRoot lists holds
// one folder per game, whose package manifest is
// <game>\Content\appxmanifest.xml or <game>\appxmanifest.xml. The first game whose package
// identity name is xbox_package gives its folder: the Content folder when the
// manifest is there. Lists and manifests that cannot be read, and folders
// that do not exist, are passed over. Nothing when xbox_package is empty or
// no game qualifies. Adds what it tried to the log (not when xbox_package is
// empty). Throws only std::bad_alloc.
std::optional<std::filesystem::path> locate_xbox_install(const patch_config& config, search_log& log);
