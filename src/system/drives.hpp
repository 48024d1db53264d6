#pragma once

#include <filesystem>
#include <vector>

// The root folders ("C:\") of this machine's fixed drives, as Windows lists
// its drive letters: no removable, network or optical drives. Empty when
// Windows cannot list them. Throws only std::bad_alloc.
std::vector<std::filesystem::path> fixed_drive_roots();
