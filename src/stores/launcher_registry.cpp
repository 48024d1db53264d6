#include "stores/launcher_registry.hpp"

#include "stores/launcher_file.hpp"
#include "system/file_operations.hpp"
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

std::vector<std::wstring> list_launcher_keys(HKEY root, const std::wstring& subkey, registry_view view,
                                             std::wstring_view what, std::wstring_view shown,
                                             search_log& log) {
  result<std::vector<std::wstring>> names = registry_subkeys(root, subkey, view);
  log.write(L"attempt to list {} in {} returned status {:#010x}\n", what, shown,
            static_cast<std::int32_t>(registry_status(names)));
  return names ? std::move(*names) : std::vector<std::wstring>();
}

std::filesystem::path folder_of_value(const std::wstring& value) {
  std::filesystem::path folder =
      std::filesystem::path(value.c_str()).make_preferred();  // up to the first NUL
  if (folder.has_relative_path() && !folder.has_filename()) {
    folder = folder.parent_path();
  }
  return folder;
}

result<std::filesystem::path> registry_folder(HKEY root, const std::wstring& subkey,
                                              const std::wstring& value_name, registry_view view) {
  const result<std::wstring> value = read_registry_string(root, subkey, value_name, view);
  if (!value) {
    return unreadable_value(value_name, value.error());
  }
  return existing_folder(folder_of_value(*value), L"its " + value_name);
}

failure unreadable_value(const std::wstring& value_name, const failure& why) {
  return passed_over(L"its " + value_name + L" cannot be read (error " + std::to_wstring(why.code) + L")");
}
