#pragma once

#include <string>
#include <string_view>
#include <vector>

// The folders that the Xbox app installs games into on one drive, as the
// drive's root file .GamingRoot lists them: the bytes "RGBX" (0x58424752
// little-endian), a 32-bit little-endian count, then that many UTF-16LE
// paths relative to the drive's root, each ending in a NUL.
//
// The paths of `bytes` in their order. Nothing for a file that does not
// begin with "RGBX" and a count; a path that runs past the end of `bytes`,
// and all after it, are passed over, as are empty paths. Never reads past
// the end. Throws only std::bad_alloc.
std::vector<std::u16string> read_gaming_root(std::string_view bytes);
