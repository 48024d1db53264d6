#include "stores/store_lookups.hpp"

#include "base/ascii.hpp"
#include "stores/launcher_file.hpp"
#include "stores/uninstall_entries.hpp"
#include "system/file_operations.hpp"
#include "system/folders.hpp"
#include "system/package_manifest.hpp"
#include "system/text.hpp"

#include <fmt/xchar.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The EA app's uninstall entries run a program below one of these folders.
constexpr launcher_program ea_uninstaller{nullptr, {L"EAInstaller", L"EA Desktop"}};

void add_once(std::vector<fs::path>& folders, const fs::path& folder) {
  const auto same = [&](const fs::path& known) {
    return ascii_lower(known.native()) == ascii_lower(folder.native());
  };
  if (std::none_of(folders.begin(), folders.end(), same)) {
    folders.push_back(folder);
  }
}

// The folders in <Program Files>\EA Games, where the EA app installs games
// unless told otherwise.
void add_default_folders(std::vector<fs::path>& folders, search_log& log) {
  const std::optional<fs::path> program_files = program_files_folder();
  if (!program_files) {
    log.write(L"the Program Files folder is not known\n");
    return;
  }
  const fs::path library = *program_files / "EA Games";
  if (is_absent(library)) {
    log.write(L"no EA app game folder {}\n", library.native());
    return;
  }
  result<folder_tree> listed = list_tree(library, depth::folder_only);
  if (!listed) {
    log.write(L"cannot list {} (error {})\n", library.native(), listed.error().code);
    return;
  }
  log.write(L"reading EA app game folders in {}\n", library.native());
  // A link to a game's folder counts as the folder.
  listed->folders.insert(listed->folders.end(), listed->folder_links.begin(), listed->folder_links.end());
  std::sort(listed->folders.begin(), listed->folders.end());
  for (const fs::path& folder : listed->folders) {
    add_once(folders, folder);
  }
}

// The folders that may hold the game, each once.
std::vector<fs::path> game_folders(search_log& log) {
  std::vector<fs::path> folders;
  const auto take = [&](const uninstall_entry& entry) -> std::optional<fs::path> {
    if (!entry.folder) {
      log.write(L"uninstall entry {} passed over: {}\n", entry.key, widen_utf8(entry.folder.error().what));
    } else {
      log.write(L"uninstall entry {} names install location {}\n", entry.key, entry.folder->native());
      add_once(folders, *entry.folder);
    }
    return std::nullopt;  // every entry's folder is a candidate
  };
  find_in_uninstall_entries(ea_uninstaller, take, log);
  add_default_folders(folders, log);
  return folders;
}

// Whether the installer data in `folder` lists `content_id`.
bool holds_content(const fs::path& folder, const std::wstring& content_id, search_log& log) {
  const fs::path data = folder / "__Installer" / "installerdata.xml";
  if (is_absent(data)) {
    log.write(L"no __Installer\\installerdata.xml in {}\n", folder.native());
    return false;
  }
  const result<std::vector<std::wstring>> ids = read_content_ids(data);
  // An HRESULT, shown as Windows' tools show one (0x8007...).
  log.write(L"installer data {} returned status {:#010x} and content ids {}\n", data.native(),
            static_cast<std::uint32_t>(manifest_status(ids)),
            fmt::join(ids ? *ids : std::vector<std::wstring>(), L", "));
  return ids && std::any_of(ids->begin(), ids->end(), [&](const std::wstring& id) {
           return ascii_lower(id) == ascii_lower(content_id);
         });
}

}  // namespace

std::optional<fs::path> locate_ea_install(const patch_config& config, search_log& log) {
  if (config.ea_content_id.empty()) {
    return std::nullopt;
  }
  const std::wstring content_id = widen_utf8(config.ea_content_id);
  for (const fs::path& folder : game_folders(log)) {
    if (holds_content(folder, content_id, log)) {
      log.write(L"EA app content {} found in {}\n", content_id, folder.native());
      return folder;
    }
  }
  log.write(L"no EA app content {} found\n", content_id);
  return std::nullopt;
}
