#pragma once

#include "base/failure.hpp"

#include <filesystem>
#include <optional>
#include <string>

// Wine's own services, for a program that runs under Wine (Proton on a Steam
// Deck or another Linux machine), where the game lies in a Linux folder that
// Windows' own registry and folders know nothing of. On Windows, only
// running_under_wine is asked, and it says no. Throw only std::bad_alloc.

// Whether this process runs under Wine: ntdll.dll exports wine_get_version.
bool running_under_wine() noexcept;

// The Windows path by which Wine reaches the Unix path `unix_path` (UTF-8,
// absolute: "/home/deck/Games"), as Wine's wine_get_dos_file_name names it
// ("Z:\home\deck\Games"); a failure when it is no absolute Unix path or Wine
// reaches it through no drive letter.
[[nodiscard]] result<std::filesystem::path> dos_path_of_unix(const std::string& unix_path);

// The folder that one of Wine's variables names as an NT path
// ("\??\Z:\home\deck"): WINEHOMEDIR, the Unix home, or WINECONFIGDIR, the
// Wine prefix. Nothing when it is not set or names no drive's folder.
std::optional<std::filesystem::path> wine_folder_variable(const wchar_t* name);
