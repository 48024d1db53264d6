#include "stores/xbox_install.hpp"

#include "stores/launcher_file.hpp"
#include "system/drives.hpp"
#include "system/file_operations.hpp"
#include "system/folders.hpp"
#include "system/package_manifest.hpp"
#include "system/text.hpp"
#include "xbox/gaming_root.hpp"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The game folders that the drive's .GamingRoot lists, below the drive's
// root; none, and logged, when there is no such list.
std::vector<fs::path> library_folders(const fs::path& drive, std::wostream& log) {
  const fs::path list = drive / ".GamingRoot";
  std::error_code error;
  if (!fs::exists(list, error) && !error) {
    write_log_line(log, L"no Xbox app library list {}\n", list.native());
    return {};
  }
  const auto bytes = read_launcher_file(list, open_shared_binary_file);
  if (const auto* unread = std::get_if<passed_over>(&bytes)) {
    write_log_line(log, L"Xbox app library list {} passed over: {}\n", list.native(), unread->reason);
    return {};
  }
  std::vector<fs::path> folders;
  for (const std::u16string& name : read_gaming_root(std::get<std::string>(bytes))) {
    const fs::path relative(std::wstring(name.begin(), name.end()));
    // The list names folders of its own drive; anything else is not the
    // Xbox app's.
    if (relative.has_root_path()) {
      write_log_line(log, L"Xbox app library list {} names {}, not below {}: passed over\n", list.native(),
                     relative.native(), drive.native());
      continue;
    }
    folders.push_back(drive / relative);
    write_log_line(log, L"Xbox app library list {} names {}\n", list.native(), folders.back().native());
  }
  if (folders.empty()) {
    write_log_line(log, L"Xbox app library list {} names no folder\n", list.native());
  }
  return folders;
}

// Whether two package names are the same: Windows compares them letter case
// aside, and they are ASCII letters, digits, dots and dashes.
bool same_package(std::wstring_view a, std::wstring_view b) {
  const auto lower = [](wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
  };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](wchar_t x, wchar_t y) { return lower(x) == lower(y); });
}

// The folder of the game in `game` when its manifest names `package`.
std::optional<fs::path> game_of_package(const fs::path& game, const std::wstring& package,
                                        std::wostream& log) {
  for (const fs::path& folder : {game / "Content", game}) {
    const fs::path manifest = folder / "appxmanifest.xml";
    std::error_code error;
    if (!fs::exists(manifest, error) && !error) {
      continue;
    }
    const package_identity identity = read_package_identity(manifest);
    // An HRESULT, shown as Windows' tools show one (0x8007...).
    write_log_line(log, L"manifest {} returned status {:#010x} and package {}\n", manifest.native(),
                   static_cast<std::uint32_t>(identity.status), identity.name);
    if (identity.status == 0 && same_package(identity.name, package) && is_existing_folder(folder)) {
      return folder;
    }
    return std::nullopt;
  }
  write_log_line(log, L"no appxmanifest.xml in {}\n", game.native());
  return std::nullopt;
}

// The game's folder below the library `library`.
std::optional<fs::path> game_in_library(const fs::path& library, const std::wstring& package,
                                        std::wostream& log) {
  folder_tree listed;
  if (const unsigned long code = list_folder(library, listed)) {
    write_log_line(log, L"cannot list {} (error {})\n", library.native(), code);
    return std::nullopt;
  }
  // A link to a game's folder counts as the folder.
  listed.folders.insert(listed.folders.end(), listed.folder_links.begin(), listed.folder_links.end());
  for (const fs::path& game : listed.folders) {
    if (std::optional<fs::path> folder = game_of_package(game, package, log)) {
      return folder;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<fs::path> locate_xbox_install(const patch_config& config, search_log& search) {
  if (config.xbox_package.empty()) {
    return std::nullopt;
  }
  std::wostream& log = search.lines();
  const std::wstring package = widen_utf8(config.xbox_package);
  for (const fs::path& drive : fixed_drive_roots()) {
    for (const fs::path& library : library_folders(drive, log)) {
      if (std::optional<fs::path> folder = game_in_library(library, package, log)) {
        write_log_line(log, L"Xbox app package {} found in {}\n", package, folder->native());
        return folder;
      }
    }
  }
  write_log_line(log, L"no Xbox app package {} found\n", package);
  return std::nullopt;
}
