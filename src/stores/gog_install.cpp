#include "stores/gog_install.hpp"

#include "stores/launcher_registry.hpp"
#include "system/folders.hpp"
#include "system/install_log.hpp"
#include "system/text.hpp"

#include <fmt/format.h>

namespace fs = std::filesystem;

std::optional<fs::path> locate_gog_install(const patch_config& config, search_log& search) {
  if (config.gog_id.empty()) {
    return std::nullopt;
  }
  std::wostream& log = search.lines();
  // GOG's installers are 32-bit programs: their keys live in the 32-bit
  // registry, which a 64-bit program sees only when it asks for it.
  const std::wstring subkey = widen_utf8(fmt::format("SOFTWARE\\GOG.com\\Games\\{}", config.gog_id));
  const std::optional<std::wstring> value = read_launcher_value(subkey, L"path", L"GOG install path", log);
  if (!value) {
    return std::nullopt;
  }
  const fs::path folder(*value);
  if (!is_existing_folder(folder)) {
    write_log_line(log, L"GOG install path {} is not a full path to an existing folder\n", folder.native());
    return std::nullopt;
  }
  return folder;
}
