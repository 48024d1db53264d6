#include "system/registry.hpp"

#include "system/handle.hpp"
#include "system/text.hpp"
#include "system/windows_error.hpp"

#include <array>

namespace {

REGSAM view_flag(registry_view view) {
  switch (view) {
    case registry_view::wow64_32:
      return KEY_WOW64_32KEY;
    case registry_view::wow64_64:
      return KEY_WOW64_64KEY;
    case registry_view::native:
      break;
  }
  return 0;
}

[[nodiscard]] failure read_failure(const std::wstring& subkey, const std::wstring& value_name,
                                   LSTATUS status) {
  return windows_failure("reading " + narrow_utf16(value_name) + " of " + narrow_utf16(subkey) + " failed",
                         static_cast<unsigned long>(status));
}

[[nodiscard]] failure list_failure(const std::wstring& subkey, LSTATUS status) {
  return windows_failure("listing the subkeys of " + narrow_utf16(subkey) + " failed",
                         static_cast<unsigned long>(status));
}

// Registry key names are at most 255 characters long.
constexpr DWORD longest_key_name = 256;

}  // namespace

result<std::wstring> read_registry_string(HKEY root, const std::wstring& subkey,
                                          const std::wstring& value_name, registry_view view) {
  // The key is opened first because RegGetValueW's own view flags do nothing
  // before Windows 10; opening it is all that RegGetValueW would do itself,
  // so the statuses are the same.
  unique_hkey key;
  LSTATUS status = ::RegOpenKeyExW(root, subkey.c_str(), 0, KEY_QUERY_VALUE | view_flag(view), key.put());
  if (status != ERROR_SUCCESS) {
    return read_failure(subkey, value_name, status);
  }
  std::array<wchar_t, MAX_PATH> buffer{};
  DWORD bytes = sizeof(buffer);
  status =
      ::RegGetValueW(key.get(), nullptr, value_name.c_str(), RRF_RT_REG_SZ, nullptr, buffer.data(), &bytes);
  if (status != ERROR_SUCCESS) {
    return read_failure(subkey, value_name, status);  // the buffer and the byte count mean nothing now
  }
  // The byte count includes the terminating NUL.
  const std::size_t units = bytes / sizeof(wchar_t);
  return std::wstring(buffer.data(), units > 0 ? units - 1 : 0);
}

result<std::vector<std::wstring>> registry_subkeys(HKEY root, const std::wstring& subkey,
                                                   registry_view view) {
  unique_hkey key;
  LSTATUS status =
      ::RegOpenKeyExW(root, subkey.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | view_flag(view), key.put());
  if (status != ERROR_SUCCESS) {
    return list_failure(subkey, status);
  }
  std::vector<std::wstring> names;
  for (DWORD index = 0;; ++index) {
    std::array<wchar_t, longest_key_name> name{};
    DWORD length = longest_key_name;
    status = ::RegEnumKeyExW(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) {
      return names;
    }
    if (status != ERROR_SUCCESS) {
      return list_failure(subkey, status);
    }
    names.emplace_back(name.data(), length);
  }
}
