#include "stores/store_lookups.hpp"

#include "base/ascii.hpp"
#include "stores/launcher_file.hpp"
#include "system/file_operations.hpp"
#include "system/folders.hpp"
#include "system/install_log.hpp"
#include "system/registry.hpp"
#include "system/text.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// The launcher's data folder, or nothing when not even the default is known.
std::optional<fs::path> launcher_data_folder(search_log& log) {
  const result<std::wstring> value =
      read_registry_string(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Epic Games\\EpicGamesLauncher", L"AppDataPath",
                           registry_view::wow64_32);
  log.write(L"attempt to get Epic Games Launcher data path returned status {:#010x} and path {}\n",
            static_cast<std::int32_t>(registry_status(value)), value.value_or(std::wstring()));
  if (value && !value->empty()) {
    return fs::path(value->c_str());
  }
  const std::optional<fs::path> program_data = program_data_folder();
  if (!program_data) {
    log.write(L"the ProgramData folder is not known\n");
    return std::nullopt;
  }
  return *program_data / "Epic" / "EpicGamesLauncher" / "Data";
}

bool is_manifest_name(const fs::path& file) { return ascii_lower(file.extension().native()) == L".item"; }

// The *.item files of `folder` in name order; empty, and logged, when the
// folder cannot be listed.
std::vector<fs::path> manifest_files(const fs::path& folder, search_log& log) {
  const result<folder_tree> listed = list_tree(folder, depth::folder_only);
  if (!listed) {
    log.write(L"cannot list {} (error {})\n", folder.native(), listed.error().code);
    return {};
  }
  std::vector<fs::path> files;
  std::copy_if(listed->files.begin(), listed->files.end(), std::back_inserter(files), is_manifest_name);
  std::sort(files.begin(), files.end());
  return files;
}

// The install folder that `manifest` gives for `app_name`, or why it does
// not give one.
[[nodiscard]] result<fs::path> install_folder_of(const std::string& text, const std::string& app_name) {
  const json manifest = json::parse(text, nullptr, false);
  if (manifest.is_discarded()) {
    return passed_over(L"not JSON");
  }
  if (!manifest.is_object()) {
    return passed_over(L"not a JSON object");
  }
  const auto name = manifest.find("AppName");
  if (name == manifest.end() || !name->is_string()) {
    return passed_over(L"no text AppName");
  }
  if (name->get_ref<const std::string&>() != app_name) {
    return passed_over(L"for app " + widen_utf8(name->get_ref<const std::string&>()));
  }
  if (const auto incomplete = manifest.find("bIsIncompleteInstall"); incomplete != manifest.end()) {
    if (!incomplete->is_boolean()) {
      return passed_over(L"bIsIncompleteInstall is not true or false");
    }
    if (incomplete->get<bool>()) {
      return passed_over(L"an incomplete install");
    }
  }
  const auto location = manifest.find("InstallLocation");
  if (location == manifest.end() || !location->is_string()) {
    return passed_over(L"no text InstallLocation");
  }
  return existing_folder(location->get_ref<const std::string&>(), L"its InstallLocation");
}

}  // namespace

std::optional<fs::path> locate_epic_install(const patch_config& config, search_log& log) {
  if (config.epic_app_name.empty()) {
    return std::nullopt;
  }
  const std::optional<fs::path> data_folder = launcher_data_folder(log);
  if (!data_folder) {
    return std::nullopt;
  }
  const fs::path manifests = *data_folder / "Manifests";
  log.write(L"reading Epic Games Launcher manifests in {}\n", manifests.native());
  for (const fs::path& file : manifest_files(manifests, log)) {
    const result<std::string> text = read_launcher_file(file);
    const result<fs::path> folder = text ? install_folder_of(*text, config.epic_app_name) : text.error();
    if (folder) {
      log.write(L"manifest {} names install location {}\n", file.native(), folder->native());
      return *folder;
    }
    log.write(L"manifest {} passed over: {}\n", file.native(), widen_utf8(folder.error().what));
  }
  log.write(L"no Epic Games Launcher manifest for {} found\n", widen_utf8(config.epic_app_name));
  return std::nullopt;
}
