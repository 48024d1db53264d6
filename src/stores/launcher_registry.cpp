#include "stores/launcher_registry.hpp"

#include "system/registry.hpp"

#include <cstdint>

namespace {

[[nodiscard]] result<std::wstring> read_logged(const std::wstring& subkey, const std::wstring& value_name,
                                               std::wstring_view what, registry_view view, search_log& log) {
  result<std::wstring> value = read_registry_string(HKEY_LOCAL_MACHINE, subkey, value_name, view);
  log.write(L"attempt to get {} from the {} registry returned status {:#010x} and path {}\n", what,
            view == registry_view::wow64_32 ? L"32-bit" : L"64-bit",
            static_cast<std::int32_t>(registry_status(value)), value.value_or(std::wstring()));
  return value;
}

}  // namespace

std::optional<std::wstring> read_launcher_value(const std::wstring& subkey, const std::wstring& value_name,
                                                std::wstring_view what, search_log& log) {
  result<std::wstring> value = read_logged(subkey, value_name, what, registry_view::wow64_32, log);
  if (!value && value.error().code == ERROR_FILE_NOT_FOUND) {
    value = read_logged(subkey, value_name, what, registry_view::wow64_64, log);
  }
  if (!value) {
    return std::nullopt;
  }
  return std::wstring(value->c_str());  // up to the first NUL
}
