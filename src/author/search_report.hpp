#pragma once

#include "installer/game_search.hpp"
#include "installer/game_version.hpp"
#include "patch/patch_config.hpp"

// Runs the installer's game search as an installer run would (without the
// folder picker), with its log kept in memory, and prints the registry's
// answer, each line of the log and each version verdict. Returns what the
// search found. Throws what the search throws.
game_search search_and_report(const patch_config& config, version_check& versions);
