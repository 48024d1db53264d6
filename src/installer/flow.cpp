#include "installer/flow.hpp"

#include "install/install.hpp"
#include "installer/folder_picker.hpp"
#include "installer/game_search.hpp"
#include "installer/game_version.hpp"
#include "installer/messages.hpp"
#include "installer/patch_files.hpp"
#include "installer/progress_window.hpp"
#include "installer/sealed_patch.hpp"
#include "patch/patch_config.hpp"
#include "system/file_operations.hpp"
#include "system/folders.hpp"
#include "system/process.hpp"
#include "system/text.hpp"
#include "system/ui_language.hpp"

#include <optional>
#include <variant>

namespace fs = std::filesystem;

namespace {

// Whether `folder` is where Explorer or an archiver put the files of a zip
// that it opened for a double click: below the temporary folder, or named
// as Explorer ("Temp1_<name>.zip") and WinRAR ("Rar$EX...") name theirs.
bool is_temporary_extraction(const fs::path& folder) {
  const std::optional<fs::path> temporary = temporary_folder();
  fs::path leading;
  for (const fs::path& element : folder) {
    leading /= element;
    if (temporary && same_file_name(leading, *temporary)) {
      return true;
    }
    const std::wstring& name = element.native();
    const bool explorer =
        name.starts_with(L"Temp") && name.find(L'_') != std::wstring::npos && name.ends_with(L".zip");
    if (explorer || name.starts_with(L"Rar$EX")) {
      return true;
    }
  }
  return false;
}

// Double-clicked inside a zip, or copied without its folder: the player
// needs to hear how to start it, not what the JSON library says.
exit_code report_missing_patch_files(const fs::path& folder) {
  player_messages(user_interface_language()).show_no_patch_files(is_temporary_extraction(folder));
  return exit_code::failed;
}

// The sealed patch's files, checked; or nothing when it is damaged, told to
// the player, or the player cancelled the check.
[[nodiscard]] std::optional<patch_files> check_seal(const fs::path& archives, const patch_config& config,
                                                    error_location& location,
                                                    const player_messages& messages) {
  progress_window progress(messages.title(), messages.checking());
  seal_check checked = check_sealed_patch(archives, config, location, progress);
  if (const auto* damaged = std::get_if<patch_damage>(&checked)) {
    messages.show_patch_damaged(*damaged);
  }
  if (auto* patch = std::get_if<patch_files>(&checked)) {
    return std::move(*patch);
  }
  return std::nullopt;
}

// The search's end when it found no folder of an accepted version: told,
// unless the player cancelled.
exit_code report_search_miss(const game_search& search, const player_messages& messages) {
  if (const auto* wrong = std::get_if<version_mismatch>(&search)) {
    messages.show_wrong_version(*wrong);
    return exit_code::wrong_version;
  }
  if (std::holds_alternative<game_not_found>(search)) {
    messages.show_game_not_found();
  }
  return exit_code::game_not_found;
}

// The search, and then the player when config.json allows it; its log is
// install_log.log, closed when the search ends.
game_search search_for_game(const patch_config& config, version_check& versions, error_location& location,
                            const player_messages& messages) {
  search_log log(location);
  game_search search = find_game_folder(config, versions, log);
  if (std::holds_alternative<fs::path>(search) || !config.ask_for_folder) {
    return search;
  }
  const std::optional<fs::path> chosen =
      ask_for_game_folder(config, versions, messages, picker_start_folder(config, log));
  versions.write_log(log);
  return chosen ? game_search(*chosen) : game_search(search_cancelled{});
}

// The patch is on the game: the player may take it off.
exit_code offer_removal(const patch_on_game& on_game, const fs::path& game_folder,
                        const player_messages& messages) {
  if (!messages.ask_to_remove()) {
    return exit_code::installed;
  }
  if (on_game.covered) {
    const auto& [file, other] = *on_game.covered;
    messages.show_removal_refused(file, other.patch_name, other.game_name);
    return exit_code::failed;
  }
  remove_patch(game_folder, *on_game.own);
  messages.show_removed();
  return exit_code::removed;
}

exit_code install_or_offer_removal(const patch_config& config, const fs::path& archives,
                                   const std::optional<patch_files>& sealed, const fs::path& game_folder,
                                   const player_messages& messages) {
  // Held until the run ends: a second installer started meanwhile (a double
  // click too many) would take this run's originals for its own.
  const std::optional<install_lock> lock = lock_game_folder(game_folder);
  if (!lock) {
    messages.show_installer_busy(game_folder);
    return exit_code::failed;
  }
  const patch_files patch = sealed ? *sealed : read_unsealed_patch(archives);
  // What killed runs left is put right before any record is believed.
  finish_earlier_runs(game_folder);
  const patch_on_game on_game = examine_patch_on_game(config, patch, game_folder);
  if (on_game.state == patch_state::on) {
    return offer_removal(on_game, game_folder, messages);
  }
  install_patch(config, patch, on_game, game_folder);
  messages.show_installed();
  // The install is complete without this; the player need not wait for it.
  remove_replaced_originals(game_folder);
  return exit_code::installed;
}

}  // namespace

exit_code run_installer(error_location& location, player_messages& messages) {
  const fs::path archives = executable_folder() / "archives";
  if (!holds_config(archives)) {
    return report_missing_patch_files(archives.parent_path());
  }
  const patch_config config = read_archives_config(archives, location);
  messages = player_messages(config, user_interface_language());
  if (is_game_running(widen_utf8(config.process_name))) {
    messages.show_game_running();
    return exit_code::game_running;
  }
  // A sealed patch is checked first: a damaged one is no patch for any game.
  std::optional<patch_files> sealed;
  if (!config.checksums.empty()) {
    sealed = check_seal(archives, config, location, messages);
    if (!sealed) {
      return exit_code::failed;
    }
  }
  version_check versions(config, archives, sealed ? &*sealed : nullptr);
  const game_search search = search_for_game(config, versions, location, messages);
  if (const fs::path* game_folder = std::get_if<fs::path>(&search)) {
    return install_or_offer_removal(config, archives, sealed, *game_folder, messages);
  }
  return report_search_miss(search, messages);
}
