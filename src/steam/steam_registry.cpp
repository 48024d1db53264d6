#include "steam_registry.hpp"

#include <windows.h>

#include <array>

steam_path_read read_steam_path() {
  std::array<wchar_t, MAX_PATH> buffer{};
  DWORD bytes = sizeof(buffer);
  const LSTATUS status = ::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Valve\\Steam", L"SteamPath",
                                        RRF_RT_REG_SZ, nullptr, buffer.data(), &bytes);
  if (status != ERROR_SUCCESS) {
    return {status, {}};  // the buffer and the byte count mean nothing now
  }
  // The byte count includes the terminating NUL.
  const std::size_t units = bytes / sizeof(wchar_t);
  return {status, std::wstring(buffer.data(), units > 0 ? units - 1 : 0)};
}
