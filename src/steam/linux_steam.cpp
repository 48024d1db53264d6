#include "steam/linux_steam.hpp"

#include "system/file_operations.hpp"
#include "system/wine.hpp"

#include <algorithm>

namespace fs = std::filesystem;

namespace {

// Where Steam for Linux keeps its files below the Unix home: the link that
// Steam itself makes, its usual folder, and those of its Flatpak and Snap.
constexpr const wchar_t* steam_roots[] = {
    L".steam\\steam",
    L".local\\share\\Steam",
    L".var\\app\\com.valvesoftware.Steam\\.local\\share\\Steam",
    L"snap\\steam\\common\\.local\\share\\Steam",
};

bool is_app_id(const std::wstring& name) {
  return !name.empty() &&
         std::all_of(name.begin(), name.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// The Steam library that holds `prefix`, when Proton made it:
// <library>\steamapps\compatdata\<app id>\pfx.
std::optional<fs::path> library_holding(const fs::path& prefix) {
  fs::path folder = prefix.lexically_normal();
  if (!folder.has_filename()) {
    folder = folder.parent_path();  // a closing separator
  }
  const fs::path app = folder.parent_path();
  const fs::path compatdata = app.parent_path();
  const fs::path steamapps = compatdata.parent_path();
  if (!same_file_name(folder.filename(), L"pfx") || !is_app_id(app.filename().native()) ||
      !same_file_name(compatdata.filename(), L"compatdata") ||
      !same_file_name(steamapps.filename(), L"steamapps")) {
    return std::nullopt;
  }
  return steamapps.parent_path();
}

// The game's folder in the library that holds the Wine prefix.
std::optional<fs::path> in_prefix_library(library_search& search) {
  const std::optional<fs::path> prefix = wine_folder_variable(L"WINECONFIGDIR");
  const std::optional<fs::path> library = prefix ? library_holding(*prefix) : std::nullopt;
  if (!library) {
    return std::nullopt;
  }
  search.log().write(L"Wine prefix {} lies in the Steam library {}\n", prefix->native(), library->native());
  return search.in_library(*library);
}

}  // namespace

std::optional<fs::path> locate_linux_steam(library_search& search) {
  if (std::optional<fs::path> folder = in_prefix_library(search)) {
    return folder;
  }
  const std::optional<fs::path> home = wine_folder_variable(L"WINEHOMEDIR");
  if (!home) {
    return std::nullopt;
  }
  for (const wchar_t* root : steam_roots) {
    const fs::path steam = *home / root;
    const fs::path list = steam / "steamapps" / "libraryfolders.vdf";
    if (examine_path(list).value_or(path_kind::none) != path_kind::file) {
      continue;
    }
    if (!search.first_reading_of(list)) {
      // ~/.steam/steam is, as a rule, a link to ~/.local/share/Steam.
      search.log().write(L"Steam for Linux in {}: its library list was read already\n", steam.native());
      continue;
    }
    search.log().write(L"Steam for Linux in {}\n", steam.native());
    if (std::optional<fs::path> folder = search.in_library_list(list, path_form::unix_path)) {
      return folder;
    }
  }
  return std::nullopt;
}
