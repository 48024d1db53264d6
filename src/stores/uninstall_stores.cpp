#include "stores/store_lookups.hpp"

#include "base/ascii.hpp"
#include "stores/launcher_file.hpp"
#include "stores/uninstall_entries.hpp"
#include "system/text.hpp"

#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// How a launcher's uninstall entries name the game.
struct uninstall_store {
  std::string patch_config::*id;  // config.json's id of the game for this launcher
  const wchar_t* name;            // the launcher, as the log calls it
  launcher_program uninstaller;
  // The argument that gives the id: the next word when the option stands
  // alone ("-p"), the rest of the word when it ends in '=' ("--uid=").
  const wchar_t* option;
  const wchar_t* id_label;  // what the log calls the id
};

constexpr uninstall_store amazon{&patch_config::amazon_id,
                                 L"Amazon Games",
                                 {L"Amazon Game Remover.exe", {nullptr, nullptr}},
                                 L"-p",
                                 L"product"};
constexpr uninstall_store battlenet{&patch_config::battlenet_uid,
                                    L"Battle.net",
                                    {L"Battle.net.exe", {L"Battle.net", nullptr}},
                                    L"--uid=",
                                    L"uid"};

// The id that `arguments` give with `option`.
std::optional<std::wstring> option_value(const std::vector<std::wstring>& arguments,
                                         std::wstring_view option) {
  const bool joined = option.ends_with(L'=');
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    if (joined && arguments[index].starts_with(option)) {
      return arguments[index].substr(option.size());
    }
    if (!joined && arguments[index] == option && index + 1 < arguments.size()) {
      return arguments[index + 1];
    }
  }
  return std::nullopt;
}

// The folder that `entry` gives for `id`, or why it gives none.
[[nodiscard]] result<fs::path> folder_for(const uninstall_store& store, const uninstall_entry& entry,
                                          const std::wstring& id) {
  const std::optional<std::wstring> named = option_value(entry.arguments, store.option);
  if (!named) {
    return passed_over(std::wstring(L"its UninstallString names no ") + store.id_label);
  }
  if (ascii_lower(*named) != ascii_lower(id)) {
    return passed_over(std::wstring(L"for ") + store.id_label + L" " + *named);
  }
  return entry.folder;
}

std::optional<fs::path> locate_by_uninstaller(const uninstall_store& store, const patch_config& config,
                                              search_log& log) {
  const std::string& id = config.*store.id;
  if (id.empty()) {
    return std::nullopt;
  }
  const std::wstring wide_id = widen_utf8(id);
  const auto take = [&](const uninstall_entry& entry) -> std::optional<fs::path> {
    const result<fs::path> folder = folder_for(store, entry, wide_id);
    if (!folder) {
      log.write(L"uninstall entry {} passed over: {}\n", entry.key, widen_utf8(folder.error().what));
      return std::nullopt;
    }
    log.write(L"uninstall entry {} names install location {}\n", entry.key, folder->native());
    return *folder;
  };
  if (std::optional<fs::path> folder = find_in_uninstall_entries(store.uninstaller, take, log)) {
    return folder;
  }
  log.write(L"no {} uninstall entry for {} found\n", store.name, wide_id);
  return std::nullopt;
}

}  // namespace

std::optional<fs::path> locate_amazon_install(const patch_config& config, search_log& log) {
  return locate_by_uninstaller(amazon, config, log);
}

std::optional<fs::path> locate_battlenet_install(const patch_config& config, search_log& log) {
  return locate_by_uninstaller(battlenet, config, log);
}
