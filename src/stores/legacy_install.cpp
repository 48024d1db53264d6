#include "stores/store_lookups.hpp"

#include "base/ascii.hpp"
#include "stores/launcher_file.hpp"
#include "stores/launcher_registry.hpp"
#include "system/registry.hpp"
#include "system/text.hpp"

#include <string>

namespace fs = std::filesystem;

namespace {

const std::wstring games_subkey = L"Software\\Legacy Games";
constexpr const wchar_t* games_key_shown = L"HKEY_CURRENT_USER\\Software\\Legacy Games";

// The folder that the game's key `subkey` gives for `uuid`, or why it gives
// none.
[[nodiscard]] result<fs::path> folder_for(const std::wstring& subkey, const std::wstring& uuid) {
  const result<std::wstring> installer =
      read_registry_string(HKEY_CURRENT_USER, subkey, L"InstallerUUID", registry_view::native);
  if (!installer) {
    return unreadable_value(L"InstallerUUID", installer.error());
  }
  if (ascii_lower(*installer) != ascii_lower(uuid)) {
    return passed_over(L"for installer " + *installer);
  }
  return registry_folder(HKEY_CURRENT_USER, subkey, L"InstDir", registry_view::native);
}

}  // namespace

std::optional<fs::path> locate_legacy_install(const patch_config& config, search_log& log) {
  if (config.legacy_uuid.empty()) {
    return std::nullopt;
  }
  const std::wstring uuid = widen_utf8(config.legacy_uuid);
  for (const std::wstring& name : list_launcher_keys(HKEY_CURRENT_USER, games_subkey, registry_view::native,
                                                     L"Legacy Games installs", games_key_shown, log)) {
    const result<fs::path> folder = folder_for(games_subkey + L"\\" + name, uuid);
    if (folder) {
      log.write(L"Legacy Games install {}\\{} names install folder {}\n", games_key_shown, name,
                folder->native());
      return *folder;
    }
    log.write(L"Legacy Games install {}\\{} passed over: {}\n", games_key_shown, name,
              widen_utf8(folder.error().what));
  }
  log.write(L"no Legacy Games install for {} found\n", uuid);
  return std::nullopt;
}
