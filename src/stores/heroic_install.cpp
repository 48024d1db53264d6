#include "stores/heroic_install.hpp"

#include "stores/launcher_file.hpp"
#include "system/file_operations.hpp"
#include "system/folders.hpp"
#include "system/text.hpp"
#include "system/wine.hpp"

#include <nlohmann/json.hpp>

#include <string>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// How a list names a folder: as a Windows path, or under Wine, where Heroic
// for Linux writes Unix paths, as a Unix path.
using folder_reader = result<fs::path> (*)(const std::string& text, std::wstring_view member);

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
  const auto path = entry.find("install_path");
  if (path == entry.end() || !path->is_string()) {
    return passed_over(L"its entry has no text install_path");
  }
  return read_folder(path->get_ref<const std::string&>(), L"its install_path");
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
  if (!list.is_object() || !list.contains("installed") || !list["installed"].is_array()) {
    return passed_over(L"no array installed");
  }
  result<fs::path> found = passed_over(L"no entry for " + widen_utf8(gog_id));
  for (const json& entry : list["installed"]) {
    // Other games' entries, whatever their shape, are not looked at.
    if (!entry.is_object() || !entry.contains("appName") || entry["appName"] != gog_id) {
      continue;
    }
    found = install_path_of(entry, read_folder);
    if (found) {
      break;
    }
  }
  return found;
}

using list_reader = result<fs::path> (*)(const json&, const std::string&, folder_reader);

std::optional<fs::path> install_in_list(const fs::path& file, const std::string& id, list_reader find,
                                        folder_reader read_folder, search_log& log) {
  if (is_absent(file)) {
    log.write(L"no Heroic list {}\n", file.native());
    return std::nullopt;
  }
  const result<std::string> text = read_launcher_file(file);
  result<fs::path> folder = passed_over(L"not JSON");
  if (!text) {
    folder = text.error();
  } else if (const json list = json::parse(*text, nullptr, false); !list.is_discarded()) {
    folder = find(list, id, read_folder);
  }
  if (folder) {
    log.write(L"Heroic list {} names install path {}\n", file.native(), folder->native());
    return *folder;
  }
  log.write(L"Heroic list {} passed over: {}\n", file.native(), widen_utf8(folder.error().what));
  return std::nullopt;
}

// The game's folder in the lists of Heroic's configuration folder `heroic`.
std::optional<fs::path> install_in_lists(const fs::path& heroic, const patch_config& config,
                                         folder_reader read_folder, search_log& log) {
  std::optional<fs::path> folder;
  if (!config.epic_app_name.empty()) {
    folder = install_in_list(heroic / "legendaryConfig" / "legendary" / "installed.json",
                             config.epic_app_name, legendary_install, read_folder, log);
  }
  if (!folder && !config.gog_id.empty()) {
    folder = install_in_list(heroic / "gog_store" / "installed.json", config.gog_id, gog_store_install,
                             read_folder, log);
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
