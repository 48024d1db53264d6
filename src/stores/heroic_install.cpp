#include "stores/store_lookups.hpp"

#include "stores/launcher_file.hpp"
#include "stores/launcher_list.hpp"
#include "system/file_operations.hpp"
#include "system/folders.hpp"
#include "system/text.hpp"
#include "system/wine.hpp"

#include <nlohmann/json.hpp>

#include <string>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// The folder that a Unix path names: Heroic for Linux, under Wine, writes
// its lists with Unix paths.
[[nodiscard]] result<fs::path> existing_unix_folder(const std::string& text, std::wstring_view member) {
  const result<fs::path> folder = dos_path_of_unix(text);
  if (!folder) {
    return passed_over(std::wstring(member) + L": " + widen_utf8(folder.error().what));
  }
  return existing_folder(path_to_utf8(*folder), member);
}

// The folder that an entry's install_path names, or why it names none.
[[nodiscard]] result<fs::path> install_path_of(const json& entry, folder_reader read_folder) {
  if (!entry.is_object()) {
    return passed_over(L"its entry is not a JSON object");
  }
  return folder_member(entry, "install_path", read_folder);
}

// Legendary's list: an object from app name to entry.
[[nodiscard]] result<fs::path> legendary_install(const json& list, const std::string& app_name,
                                                 folder_reader read_folder) {
  if (!list.is_object()) {
    return passed_over(L"not a JSON object");
  }
  const auto entry = list.find(app_name);
  if (entry == list.end()) {
    return passed_over(L"no entry for " + widen_utf8(app_name));
  }
  return install_path_of(*entry, read_folder);
}

// Heroic's GOG list: {"installed": [entry, ...]}, each entry with its appName.
[[nodiscard]] result<fs::path> gog_store_install(const json& list, const std::string& gog_id,
                                                 folder_reader read_folder) {
  return entry_in_array(list, "installed", "appName", gog_id, install_path_of, read_folder);
}

// The game's folder in the lists of Heroic's configuration folder `heroic`.
std::optional<fs::path> install_in_lists(const fs::path& heroic, const patch_config& config,
                                         folder_reader read_folder, search_log& log) {
  std::optional<fs::path> folder;
  if (!config.epic_app_name.empty()) {
    folder = install_in_list(heroic / "legendaryConfig" / "legendary" / "installed.json", L"Heroic list",
                             config.epic_app_name, legendary_install, read_folder, log);
  }
  if (!folder && !config.gog_id.empty()) {
    folder = install_in_list(heroic / "gog_store" / "installed.json", L"Heroic list", config.gog_id,
                             gog_store_install, read_folder, log);
  }
  return folder;
}

// Under Wine: Heroic for Linux's configuration folders below the Unix home,
// its own and its Flatpak's, each that exists.
std::optional<fs::path> install_under_linux(const patch_config& config, search_log& log) {
  const std::optional<fs::path> home = wine_folder_variable(L"WINEHOMEDIR");
  if (!home) {
    return std::nullopt;
  }
  for (const wchar_t* below :
       {L".config\\heroic", L".var\\app\\com.heroicgameslauncher.hgl\\config\\heroic"}) {
    const fs::path heroic = *home / below;
    if (!is_existing_folder(heroic)) {
      continue;
    }
    if (std::optional<fs::path> folder = install_in_lists(heroic, config, existing_unix_folder, log)) {
      return folder;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<fs::path> locate_heroic_install(const patch_config& config, search_log& log) {
  if (config.epic_app_name.empty() && config.gog_id.empty()) {
    return std::nullopt;
  }
  const std::optional<fs::path> app_data = roaming_app_data_folder();
  std::optional<fs::path> folder;
  if (app_data) {
    folder = install_in_lists(*app_data / "heroic", config, existing_folder, log);
  } else {
    log.write(L"the roaming application data folder is not known\n");
  }
  if (!folder && running_under_wine()) {
    folder = install_under_linux(config, log);
  }
  return folder;
}
