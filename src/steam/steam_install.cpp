#include "steam_install.hpp"

// The Steam route is not built yet: every game counts as not installed
// through Steam.
std::optional<std::filesystem::path> locate_steam_install(const patch_config&) { return std::nullopt; }
