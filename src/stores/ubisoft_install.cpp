#include "stores/ubisoft_install.hpp"

#include "stores/launcher_registry.hpp"
#include "system/folders.hpp"
#include "system/text.hpp"

#include <fmt/format.h>

namespace fs = std::filesystem;

std::optional<fs::path> locate_ubisoft_install(const patch_config& config, search_log& search) {
  if (config.ubisoft_id.empty()) {
    return std::nullopt;
  }
  std::wostream& log = search.lines();
  // The launcher is a 32-bit program: its keys live in the 32-bit registry.
  const std::wstring subkey =
      widen_utf8(fmt::format("SOFTWARE\\Ubisoft\\Launcher\\Installs\\{}", config.ubisoft_id));
  const std::optional<std::wstring> value =
      read_launcher_value(subkey, L"InstallDir", L"Ubisoft Connect install folder", log);
  if (!value) {
    return std::nullopt;
  }
  // "C:/Program Files (x86)/Ubisoft/Ubisoft Game Launcher/games/Game/": the
  // folder in Windows' own form, without the closing separator, as the
  // player's messages name it.
  fs::path folder = fs::path(*value).make_preferred();
  if (folder.has_relative_path() && !folder.has_filename()) {
    folder = folder.parent_path();
  }
  if (!is_existing_folder(folder)) {
    write_log_line(log, L"Ubisoft Connect install folder {} is not a full path to an existing folder\n",
                   folder.native());
    return std::nullopt;
  }
  return folder;
}
