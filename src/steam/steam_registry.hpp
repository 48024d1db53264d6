#pragma once

#include <string>

// One read of the Steam client's folder from HKCU\Software\Valve\Steam,
// value SteamPath (REG_SZ of at most 259 characters).
struct steam_path_read {
  long status = 0;     // ERROR_SUCCESS or the platform's error code
  std::wstring value;  // the text returned, without its terminator; empty on failure
};

// Reads SteamPath. Never throws but std::bad_alloc.
steam_path_read read_steam_path();
