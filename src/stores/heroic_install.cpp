#include "stores/heroic_install.hpp"

#include "stores/launcher_file.hpp"
#include "system/folders.hpp"
#include "system/text.hpp"

#include <nlohmann/json.hpp>

#include <string>
#include <system_error>
#include <variant>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

using outcome = std::variant<fs::path, passed_over>;

// The folder that an entry's install_path names, or why it names none.
outcome install_path_of(const json& entry) {
  if (!entry.is_object()) {
    return passed_over{L"its entry is not a JSON object"};
  }
  const auto path = entry.find("install_path");
  if (path == entry.end() || !path->is_string()) {
    return passed_over{L"its entry has no text install_path"};
  }
  const fs::path folder(widen_utf8(path->get_ref<const std::string&>()));
  if (!is_existing_folder(folder)) {
    return passed_over{L"its install_path " + folder.native() + L" is not a full path to an existing folder"};
  }
  return folder;
}

// Legendary's list: an object from app name to entry.
outcome legendary_install(const json& list, const std::string& app_name) {
  if (!list.is_object()) {
    return passed_over{L"not a JSON object"};
  }
  const auto entry = list.find(app_name);
  if (entry == list.end()) {
    return passed_over{L"no entry for " + widen_utf8(app_name)};
  }
  return install_path_of(*entry);
}

// Heroic's GOG list: {"installed": [entry, ...]}, each entry with its appName.
outcome gog_store_install(const json& list, const std::string& gog_id) {
  if (!list.is_object() || !list.contains("installed") || !list["installed"].is_array()) {
    return passed_over{L"no array installed"};
  }
  outcome found = passed_over{L"no entry for " + widen_utf8(gog_id)};
  for (const json& entry : list["installed"]) {
    // Other games' entries, whatever their shape, are not looked at.
    if (!entry.is_object() || !entry.contains("appName") || entry["appName"] != gog_id) {
      continue;
    }
    found = install_path_of(entry);
    if (std::holds_alternative<fs::path>(found)) {
      break;
    }
  }
  return found;
}

template <typename find_function>
std::optional<fs::path> install_in_list(const fs::path& file, const std::string& id, find_function find,
                                        std::wostream& log) {
  std::error_code error;
  if (!fs::exists(file, error) && !error) {
    write_log_line(log, L"no Heroic list {}\n", file.native());
    return std::nullopt;
  }
  const auto text = read_launcher_file(file, open_shared_text_file);
  outcome result = passed_over{L"not JSON"};
  if (const auto* unread = std::get_if<passed_over>(&text)) {
    result = *unread;
  } else if (const json list = json::parse(std::get<std::string>(text), nullptr, false);
             !list.is_discarded()) {
    result = find(list, id);
  }
  if (const auto* folder = std::get_if<fs::path>(&result)) {
    write_log_line(log, L"Heroic list {} names install path {}\n", file.native(), folder->native());
    return *folder;
  }
  write_log_line(log, L"Heroic list {} passed over: {}\n", file.native(),
                 std::get<passed_over>(result).reason);
  return std::nullopt;
}

}  // namespace

std::optional<fs::path> locate_heroic_install(const patch_config& config, search_log& search) {
  if (config.epic_app_name.empty() && config.gog_id.empty()) {
    return std::nullopt;
  }
  std::wostream& log = search.lines();
  const std::optional<fs::path> app_data = roaming_app_data_folder();
  if (!app_data) {
    write_log_line(log, L"the roaming application data folder is not known\n");
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
