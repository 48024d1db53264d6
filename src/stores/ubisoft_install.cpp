#include "stores/ubisoft_install.hpp"

#include "system/folders.hpp"
#include "system/registry.hpp"
#include "system/text.hpp"

#include <fmt/format.h>

#include <cstdint>

namespace fs = std::filesystem;

namespace {

registry_string read_install_dir(const std::wstring& subkey, registry_view view, std::wostream& log) {
  const registry_string value = read_registry_string(HKEY_LOCAL_MACHINE, subkey, L"InstallDir", view);
  write_log_line(log,
                 L"attempt to get Ubisoft Connect install folder from the {} registry returned status "
                 L"{:#010x} and path {}\n",
                 view == registry_view::wow64_32 ? L"32-bit" : L"64-bit",
                 static_cast<std::int32_t>(value.status), value.text);
  return value;
}

}  // namespace

std::optional<fs::path> locate_ubisoft_install(const patch_config& config, search_log& search) {
  if (config.ubisoft_id.empty()) {
    return std::nullopt;
  }
  std::wostream& log = search.lines();
  // The launcher is a 32-bit program: its keys live in the 32-bit registry.
  const std::wstring subkey =
      widen_utf8(fmt::format("SOFTWARE\\Ubisoft\\Launcher\\Installs\\{}", config.ubisoft_id));
  registry_string value = read_install_dir(subkey, registry_view::wow64_32, log);
  if (value.status == ERROR_FILE_NOT_FOUND) {
    value = read_install_dir(subkey, registry_view::wow64_64, log);
  }
  if (value.status != ERROR_SUCCESS) {
    return std::nullopt;
  }
  // "C:/Program Files (x86)/Ubisoft/Ubisoft Game Launcher/games/Game/": the
  // folder in Windows' own form, without the closing separator, as the
  // player's messages name it.
  fs::path folder = fs::path(value.text.c_str()).make_preferred();  // up to the first NUL
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
