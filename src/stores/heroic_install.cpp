#include "stores/heroic_install.hpp"

#include "stores/launcher_file.hpp"
#include "system/folders.hpp"
#include "system/text.hpp"

#include <nlohmann/json.hpp>

#include <string>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// The folder that an entry's install_path names, or why it names none.
[[nodiscard]] result<fs::path> install_path_of(const json& entry) {
  if (!entry.is_object()) {
    return passed_over(L"its entry is not a JSON object");
  }
  const auto path = entry.find("install_path");
  if (path == entry.end() || !path->is_string()) {
    return passed_over(L"its entry has no text install_path");
  }
  return existing_folder(path->get_ref<const std::string&>(), L"its install_path");
}

// Legendary's list: an object from app name to entry.
[[nodiscard]] result<fs::path> legendary_install(const json& list, const std::string& app_name) {
  if (!list.is_object()) {
    return passed_over(L"not a JSON object");
  }
  const auto entry = list.find(app_name);
  if (entry == list.end()) {
    return passed_over(L"no entry for " + widen_utf8(app_name));
  }
  return install_path_of(*entry);
}

// Heroic's GOG list: {"installed": [entry, ...]}, each entry with its appName.
[[nodiscard]] result<fs::path> gog_store_install(const json& list, const std::string& gog_id) {
  if (!list.is_object() || !list.contains("installed") || !list["installed"].is_array()) {
    return passed_over(L"no array installed");
  }
  result<fs::path> found = passed_over(L"no entry for " + widen_utf8(gog_id));
  for (const json& entry : list["installed"]) {
    // Other games' entries, whatever their shape, are not looked at.
    if (!entry.is_object() || !entry.contains("appName") || entry["appName"] != gog_id) {
      continue;
    }
    found = install_path_of(entry);
    if (found) {
      break;
    }
  }
  return found;
}

using list_reader = result<fs::path> (*)(const json&, const std::string&);

std::optional<fs::path> install_in_list(const fs::path& file, const std::string& id, list_reader find,
                                        search_log& log) {
  if (is_absent(file)) {
    log.write(L"no Heroic list {}\n", file.native());
    return std::nullopt;
  }
  const result<std::string> text = read_launcher_file(file);
  result<fs::path> folder = passed_over(L"not JSON");
  if (!text) {
    folder = text.error();
  } else if (const json list = json::parse(*text, nullptr, false); !list.is_discarded()) {
    folder = find(list, id);
  }
  if (folder) {
    log.write(L"Heroic list {} names install path {}\n", file.native(), folder->native());
    return *folder;
  }
  log.write(L"Heroic list {} passed over: {}\n", file.native(), widen_utf8(folder.error().what));
  return std::nullopt;
}

}  // namespace

std::optional<fs::path> locate_heroic_install(const patch_config& config, search_log& log) {
  if (config.epic_app_name.empty() && config.gog_id.empty()) {
    return std::nullopt;
  }
  const std::optional<fs::path> app_data = roaming_app_data_folder();
  if (!app_data) {
    log.write(L"the roaming application data folder is not known\n");
    return std::nullopt;
  }
  const fs::path heroic = *app_data / "heroic";
  std::optional<fs::path> folder;
  if (!config.epic_app_name.empty()) {
    folder = install_in_list(heroic / "legendaryConfig" / "legendary" / "installed.json",
                             config.epic_app_name, legendary_install, log);
  }
  if (!folder && !config.gog_id.empty()) {
    folder = install_in_list(heroic / "gog_store" / "installed.json", config.gog_id, gog_store_install, log);
  }
  return folder;
}
