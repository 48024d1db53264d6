#include "stores/store_lookups.hpp"

#include "stores/launcher_registry.hpp"
#include "system/file_operations.hpp"
#include "system/text.hpp"

#include <fmt/format.h>

namespace fs = std::filesystem;

namespace {

// Where a launcher keeps a game's folder in the registry.
struct registry_store {
  std::string patch_config::*id;  // config.json's id of the game for this launcher
  const char* subkey;             // below HKLM, with {} for the id
  const wchar_t* value_name;
  const wchar_t* label;  // what the log calls the value
};

constexpr registry_store gog{&patch_config::gog_id, "SOFTWARE\\GOG.com\\Games\\{}", L"path",
                             L"GOG install path"};
constexpr registry_store ubisoft{&patch_config::ubisoft_id, "SOFTWARE\\Ubisoft\\Launcher\\Installs\\{}",
                                 L"InstallDir", L"Ubisoft Connect install folder"};
constexpr registry_store rockstar{&patch_config::rockstar_title, "SOFTWARE\\Rockstar Games\\{}",
                                  L"InstallFolder", L"Rockstar Games Launcher install folder"};

std::optional<fs::path> locate_in_registry(const registry_store& store, const patch_config& config,
                                           search_log& log) {
  const std::string& id = config.*store.id;
  if (id.empty()) {
    return std::nullopt;
  }
  const std::wstring subkey = widen_utf8(fmt::format(fmt::runtime(store.subkey), id));
  const std::optional<std::wstring> value = read_launcher_value(subkey, store.value_name, store.label, log);
  if (!value) {
    return std::nullopt;
  }
  const fs::path folder = folder_of_value(*value);
  if (!is_existing_folder(folder)) {
    log.write(L"{} {} is not a full path to an existing folder\n", store.label, folder.native());
    return std::nullopt;
  }
  return folder;
}

}  // namespace

std::optional<fs::path> locate_gog_install(const patch_config& config, search_log& search) {
  return locate_in_registry(gog, config, search);
}

std::optional<fs::path> locate_ubisoft_install(const patch_config& config, search_log& search) {
  return locate_in_registry(ubisoft, config, search);
}

std::optional<fs::path> locate_rockstar_install(const patch_config& config, search_log& search) {
  return locate_in_registry(rockstar, config, search);
}
