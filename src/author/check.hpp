#pragma once

#include <filesystem>

// `patch_author check`: reads `folder`\archives\config.json as the installer
// does and prints every problem it finds at once; checks the files of a
// sealed patch; runs the installer's own game search on this machine (the
// folder picker aside) and prints each source's findings, the folder and
// the version matched; and lists the game files the patch would replace or
// create. Changes nothing. Returns 0 when an installer run would start
// copying now, 1 otherwise. Throws only std::bad_alloc.
int check_patch(const std::filesystem::path& folder);
