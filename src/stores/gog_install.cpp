#include "stores/gog_install.hpp"

#include "system/folders.hpp"
#include "system/install_log.hpp"
#include "system/registry.hpp"
#include "system/text.hpp"

#include <fmt/format.h>

#include <cstdint>

namespace fs = std::filesystem;

namespace {

registry_string read_gog_path(const std::wstring& subkey, registry_view view, std::wostream& log) {
  const registry_string value = read_registry_string(HKEY_LOCAL_MACHINE, subkey, L"path", view);
  write_log_line(
      log, L"attempt to get GOG install path from the {} registry returned status {:#010x} and path {}\n",
      view == registry_view::wow64_32 ? L"32-bit" : L"64-bit", static_cast<std::int32_t>(value.status),
      value.text);
  return value;
}

}  // namespace

std::optional<fs::path> locate_gog_install(const patch_config& config, search_log& search) {
  if (config.gog_id.empty()) {
    return std::nullopt;
  }
  std::wostream& log = search.lines();
  // GOG's installers are 32-bit programs: their keys live in the 32-bit
  // registry, which a 64-bit program sees only when it asks for it.
  const std::wstring subkey = widen_utf8(fmt::format("SOFTWARE\\GOG.com\\Games\\{}", config.gog_id));
  registry_string value = read_gog_path(subkey, registry_view::wow64_32, log);
  if (value.status == ERROR_FILE_NOT_FOUND) {
    value = read_gog_path(subkey, registry_view::wow64_64, log);
  }
  if (value.status != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const fs::path folder(value.text.c_str());  // up to the first NUL
  if (!is_existing_folder(folder)) {
    write_log_line(log, L"GOG install path {} is not a full path to an existing folder\n", folder.native());
    return std::nullopt;
  }
  return folder;
}
