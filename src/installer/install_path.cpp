#include "installer/install_path.hpp"

#include "system/file_operations.hpp"
#include "system/registry.hpp"
#include "system/text.hpp"

#include <fmt/format.h>

std::optional<std::filesystem::path> read_registry_install_path(const patch_config& config, search_log&) {
  const result<std::wstring> value = read_registry_string(
      HKEY_CURRENT_USER, widen_utf8(fmt::format("Software\\Mirelune\\{}", config.registry_key)),
      L"InstallPath", registry_view::native);
  if (!value) {
    return std::nullopt;
  }
  // A value that is not a full path (empty, relative, a drive alone or a
  // folder without a drive) would make every destination relative to the
  // current folder or drive: the patch would land beside the installer. One
  // left behind by an uninstalled game names a folder that is gone: copying
  // would create it and report a game that is not there.
  std::filesystem::path folder(value->c_str());  // up to the first NUL
  if (!is_existing_folder(folder)) {
    return std::nullopt;
  }
  return folder;
}
