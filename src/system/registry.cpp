#include "system/registry.hpp"

#include <array>
#include <memory>
#include <type_traits>

namespace {

struct key_closer {
  void operator()(HKEY key) const noexcept { ::RegCloseKey(key); }
};
using unique_key = std::unique_ptr<std::remove_pointer_t<HKEY>, key_closer>;

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

}  // namespace

registry_string read_registry_string(HKEY root, const std::wstring& subkey, const std::wstring& value_name,
                                     registry_view view) {
  // The key is opened first because RegGetValueW's own view flags do nothing
  // before Windows 10; opening it is all that RegGetValueW would do itself,
  // so the statuses are the same.
  HKEY opened = nullptr;
  LSTATUS status = ::RegOpenKeyExW(root, subkey.c_str(), 0, KEY_QUERY_VALUE | view_flag(view), &opened);
  if (status != ERROR_SUCCESS) {
    return {status, {}};
  }
  const unique_key key(opened);
  std::array<wchar_t, MAX_PATH> buffer{};
  DWORD bytes = sizeof(buffer);
  status =
      ::RegGetValueW(key.get(), nullptr, value_name.c_str(), RRF_RT_REG_SZ, nullptr, buffer.data(), &bytes);
  if (status != ERROR_SUCCESS) {
    return {status, {}};  // the buffer and the byte count mean nothing now
  }
  // The byte count includes the terminating NUL.
  const std::size_t units = bytes / sizeof(wchar_t);
  return {status, std::wstring(buffer.data(), units > 0 ? units - 1 : 0)};
}
