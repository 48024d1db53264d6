#include "stores/store_lookups.hpp"

#include "base/ascii.hpp"
#include "stores/launcher_file.hpp"
#include "system/drives.hpp"
#include "system/file_operations.hpp"
#include "system/package_manifest.hpp"
#include "system/text.hpp"
#include "xbox/gaming_root.hpp"

#include <cstdint>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The game folders that the drive's .GamingRoot lists, below the drive's
// root; none, and logged, when there is no such list.
std::vector<fs::path> library_folders(const fs::path& drive, search_log& log) {
  const fs::path list = drive / ".GamingRoot";
  if (is_absent(list)) {
    log.write(L"no Xbox app library list {}\n", list.native());
    return {};
  }
  const result<std::string> bytes = read_launcher_file(list);
  if (!bytes) {
    log.write(L"Xbox app library list {} passed over: {}\n", list.native(), widen_utf8(bytes.error().what));
    return {};
  }
  std::vector<fs::path> folders;
  for (const std::u16string& name : read_gaming_root(*bytes)) {
    const fs::path relative(std::wstring(name.begin(), name.end()));
    // The list names folders of its own drive; anything else is not the
    // Xbox app's.
    if (relative.has_root_path()) {
      log.write(L"Xbox app library list {} names {}, not below {}: passed over\n", list.native(),
                relative.native(), drive.native());
      continue;
    }
    folders.push_back(drive / relative);
    log.write(L"Xbox app library list {} names {}\n", list.native(), folders.back().native());
  }
  if (folders.empty()) {
    log.write(L"Xbox app library list {} names no folder\n", list.native());
  }
  return folders;
}

// The folder of the game in `game` when its manifest names `package`.
// Package names are ASCII letters, digits, dots and dashes, which Windows
// compares letter case aside.
std::optional<fs::path> game_of_package(const fs::path& game, const std::wstring& package, search_log& log) {
  for (const fs::path& folder : {game / "Content", game}) {
    const fs::path manifest = folder / "appxmanifest.xml";
    if (is_absent(manifest)) {
      continue;
    }
    const result<std::wstring> identity = read_package_identity(manifest);
    // An HRESULT, shown as Windows' tools show one (0x8007...).
    log.write(L"manifest {} returned status {:#010x} and package {}\n", manifest.native(),
              static_cast<std::uint32_t>(manifest_status(identity)), identity.value_or(std::wstring()));
    if (identity && ascii_lower(*identity) == ascii_lower(package) && is_existing_folder(folder)) {
      return folder;
    }
    return std::nullopt;
  }
  log.write(L"no appxmanifest.xml in {}\n", game.native());
  return std::nullopt;
}

// The game's folder below the library `library`.
std::optional<fs::path> game_in_library(const fs::path& library, const std::wstring& package,
                                        search_log& log) {
  result<folder_tree> listed = list_tree(library, depth::folder_only);
  if (!listed) {
    log.write(L"cannot list {} (error {})\n", library.native(), listed.error().code);
    return std::nullopt;
  }
  // A link to a game's folder counts as the folder.
  listed->folders.insert(listed->folders.end(), listed->folder_links.begin(), listed->folder_links.end());
  for (const fs::path& game : listed->folders) {
    if (std::optional<fs::path> folder = game_of_package(game, package, log)) {
      return folder;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<fs::path> locate_xbox_install(const patch_config& config, search_log& log) {
  if (config.xbox_package.empty()) {
    return std::nullopt;
  }
  const std::wstring package = widen_utf8(config.xbox_package);
  for (const fs::path& drive : fixed_drive_roots()) {
    for (const fs::path& library : library_folders(drive, log)) {
      if (std::optional<fs::path> folder = game_in_library(library, package, log)) {
        log.write(L"Xbox app package {} found in {}\n", package, folder->native());
        return folder;
      }
    }
  }
  log.write(L"no Xbox app package {} found\n", package);
  return std::nullopt;
}
