#include "registry.hpp"

#include "text.hpp"

#include <fmt/format.h>
#include <windows.h>

#include <array>
#include <string>

std::optional<std::filesystem::path> read_registry_install_path(const patch_config& config) {
  const std::wstring subkey = widen_utf8(fmt::format("Software\\Mirelune\\{}", config.registry_key));
  std::array<wchar_t, MAX_PATH> buffer{};
  DWORD size = sizeof(buffer);
  const LSTATUS status = ::RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), L"InstallPath", RRF_RT_REG_SZ,
                                        nullptr, buffer.data(), &size);
  if (status != ERROR_SUCCESS) {
    return std::nullopt;
  }
  // A value that is not a full path (empty, relative, a drive alone or a
  // folder without a drive) would make every destination relative to the
  // current folder or drive: the patch would land beside the installer.
  std::filesystem::path folder(buffer.data());
  if (!folder.is_absolute()) {
    return std::nullopt;
  }
  return folder;
}
