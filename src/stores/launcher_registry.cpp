#include "stores/launcher_registry.hpp"

#include "system/install_log.hpp"
#include "system/registry.hpp"

#include <cstdint>

namespace {

registry_string read_logged(const std::wstring& subkey, const std::wstring& value_name,
                            std::wstring_view what, registry_view view, std::wostream& log) {
  const registry_string value = read_registry_string(HKEY_LOCAL_MACHINE, subkey, value_name, view);
  write_log_line(log, L"attempt to get {} from the {} registry returned status {:#010x} and path {}\n", what,
                 view == registry_view::wow64_32 ? L"32-bit" : L"64-bit",
                 static_cast<std::int32_t>(value.status), value.text);
  return value;
}

}  // namespace

std::optional<std::wstring> read_launcher_value(const std::wstring& subkey, const std::wstring& value_name,
                                                std::wstring_view what, std::wostream& log) {
  registry_string value = read_logged(subkey, value_name, what, registry_view::wow64_32, log);
  if (value.status == ERROR_FILE_NOT_FOUND) {
    value = read_logged(subkey, value_name, what, registry_view::wow64_64, log);
  }
  if (value.status != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(value.text.c_str());  // up to the first NUL
}
