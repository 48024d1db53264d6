#include "steam/steam_install.hpp"

#include "steam/library_search.hpp"
#include "steam/linux_steam.hpp"
#include "system/file_operations.hpp"
#include "system/registry.hpp"
#include "system/wine.hpp"

#include <cstdint>
#include <string>

namespace fs = std::filesystem;

namespace {

// The game's folder through the Steam client for Windows, whose folder the
// registry names.
std::optional<fs::path> locate_windows_steam(library_search& search) {
  const result<std::wstring> steam =
      read_registry_string(HKEY_CURRENT_USER, L"Software\\Valve\\Steam", L"SteamPath", registry_view::native);
  search.log().write(L"attempt to get Steam install path returned status {:#010x} and path {}\n",
                     static_cast<std::int32_t>(registry_status(steam)), steam.value_or(std::wstring()));
  if (!steam) {
    return std::nullopt;
  }
  const fs::path steam_folder(steam->c_str());  // up to the first NUL
  // A value that an uninstalled Steam left behind: Steam is not here, as
  // for no value at all. (An empty value names the current folder.)
  if (examine_path(steam_folder.empty() ? fs::path(".") : steam_folder).value_or(path_kind::none) !=
      path_kind::folder) {
    search.log().write(L"Steam folder {} does not exist\n", steam_folder.native());
    return std::nullopt;
  }
  return search.in_library_list(steam_folder / "steamapps" / "libraryfolders.vdf", path_form::windows);
}

}  // namespace

std::optional<fs::path> locate_steam_install(const patch_config& config, search_log& log) {
  library_search search(config, log);
  if (std::optional<fs::path> folder = locate_windows_steam(search)) {
    return folder;
  }
  // Under Proton the prefix's registry names no Steam, and Steam's own files
  // lie in Linux folders that Wine reaches through its drive Z:.
  if (!running_under_wine()) {
    return std::nullopt;
  }
  return locate_linux_steam(search);
}

std::optional<fs::path> steam_games_folder_under_wine(const patch_config& config, error_location& location) {
  if (!running_under_wine()) {
    return std::nullopt;
  }
  search_log unwritten(location, {});
  library_search search(config, unwritten);
  // The search came to nothing before: only the libraries it visits count.
  (void)locate_linux_steam(search);
  for (const fs::path& library : search.libraries()) {
    if (is_existing_folder(library / "steamapps" / "common")) {
      return library / "steamapps" / "common";
    }
  }
  std::optional<fs::path> home = wine_folder_variable(L"WINEHOMEDIR");
  return home && is_existing_folder(*home) ? home : std::nullopt;
}
