#include "system/system_library.hpp"

#include <array>
#include <string>

unique_hmodule load_system_library(const wchar_t* name) noexcept {
  std::array<wchar_t, MAX_PATH> folder{};
  const UINT length = ::GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  if (length == 0 || length >= folder.size()) {
    return unique_hmodule();
  }
  try {
    const std::wstring file = std::wstring(folder.data(), length) + L"\\" + name;
    return unique_hmodule(::LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  } catch (const std::bad_alloc&) {
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return unique_hmodule();
  }
}
