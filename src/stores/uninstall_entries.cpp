#include "stores/uninstall_entries.hpp"

#include "base/ascii.hpp"
#include "stores/launcher_registry.hpp"
#include "system/command_line.hpp"
#include "system/registry.hpp"

#include <algorithm>

namespace fs = std::filesystem;

namespace {

// A registry key that holds uninstall entries.
struct entries_key {
  HKEY root;
  registry_view view;
  const wchar_t* shown;  // as the registry editor names it
};

const std::wstring uninstall_subkey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// HKEY_CURRENT_USER\SOFTWARE is the same key in both views, so it is listed
// once.
const entries_key entries_keys[] = {
    {HKEY_LOCAL_MACHINE, registry_view::wow64_32,
     L"HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
    {HKEY_LOCAL_MACHINE, registry_view::wow64_64,
     L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
    {HKEY_CURRENT_USER, registry_view::native,
     L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
};

bool same_name(const fs::path& name, const wchar_t* wanted) {
  return wanted && ascii_lower(name.native()) == ascii_lower(std::wstring_view(wanted));
}

bool runs(const launcher_program& program, const fs::path& file) {
  if (same_name(file.filename(), program.file_name)) {
    return true;
  }
  const fs::path folder = file.parent_path().relative_path();
  return std::any_of(folder.begin(), folder.end(), [&](const fs::path& element) {
    return same_name(element, program.folders[0]) || same_name(element, program.folders[1]);
  });
}

// The words of the UninstallString of `subkey`, when it runs `program`.
std::vector<std::wstring> launcher_command(const entries_key& key, const std::wstring& subkey,
                                           const launcher_program& program) {
  const result<std::wstring> command = read_registry_string(key.root, subkey, L"UninstallString", key.view);
  if (!command) {
    return {};
  }
  std::vector<std::wstring> words = split_command_line(*command);
  return !words.empty() && runs(program, fs::path(words.front())) ? words : std::vector<std::wstring>();
}

}  // namespace

std::optional<fs::path> find_in_uninstall_entries(const launcher_program& program, const entry_taker& take,
                                                  search_log& log) {
  for (const entries_key& key : entries_keys) {
    for (const std::wstring& name :
         list_launcher_keys(key.root, uninstall_subkey, key.view, L"uninstall entries", key.shown, log)) {
      const std::wstring subkey = uninstall_subkey + L"\\" + name;
      std::vector<std::wstring> words = launcher_command(key, subkey, program);
      if (words.empty()) {
        continue;
      }
      words.erase(words.begin());
      const uninstall_entry entry{std::wstring(key.shown) + L"\\" + name, std::move(words),
                                  registry_folder(key.root, subkey, L"InstallLocation", key.view)};
      if (std::optional<fs::path> folder = take(entry)) {
        return folder;
      }
    }
  }
  return std::nullopt;
}
