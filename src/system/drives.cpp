#include "system/drives.hpp"

#include <windows.h>

#include <array>

std::vector<std::filesystem::path> fixed_drive_roots() {
  // 26 letters of "X:\" and its NUL, and the list's closing NUL.
  std::array<wchar_t, 26 * 4 + 1> list{};
  const DWORD length = ::GetLogicalDriveStringsW(static_cast<DWORD>(list.size()), list.data());
  std::vector<std::filesystem::path> roots;
  if (length == 0 || length >= list.size()) {
    return roots;
  }
  for (const wchar_t* root = list.data(); *root != L'\0'; root += std::wcslen(root) + 1) {
    if (::GetDriveTypeW(root) == DRIVE_FIXED) {
      roots.emplace_back(root);
    }
  }
  return roots;
}
