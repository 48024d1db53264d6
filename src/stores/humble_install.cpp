#include "stores/store_lookups.hpp"

#include "stores/launcher_file.hpp"
#include "stores/launcher_list.hpp"
#include "system/folders.hpp"
#include "system/text.hpp"

#include <nlohmann/json.hpp>

#include <string>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// The folder of a game entry that the app has put on the disk (its status
// "downloaded" or "installed"), or why it names none.
[[nodiscard]] result<fs::path> installed_file_path(const json& entry, folder_reader read_folder) {
  const auto status = entry.find("status");
  if (status == entry.end() || !status->is_string()) {
    return passed_over(L"its entry has no text status");
  }
  if (*status != "downloaded" && *status != "installed") {
    return passed_over(L"its entry is not installed (status " + widen_utf8(status->get<std::string>()) +
                       L")");
  }
  return folder_member(entry, "filePath", read_folder);
}

[[nodiscard]] result<fs::path> collection_install(const json& list, const std::string& machine_name,
                                                  folder_reader read_folder) {
  return entry_in_array(list, "game-collection-4", "machineName", machine_name, installed_file_path,
                        read_folder);
}

}  // namespace

std::optional<fs::path> locate_humble_install(const patch_config& config, search_log& log) {
  if (config.humble_id.empty()) {
    return std::nullopt;
  }
  const std::optional<fs::path> app_data = roaming_app_data_folder();
  if (!app_data) {
    log.write(L"the roaming application data folder is not known\n");
    return std::nullopt;
  }
  return install_in_list(*app_data / "Humble App" / "config.json", L"Humble App settings", config.humble_id,
                         collection_install, existing_folder, log);
}
