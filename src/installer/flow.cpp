#include "installer/flow.hpp"

#include "installer/archive_files.hpp"
#include "installer/game_search.hpp"
#include "installer/game_version.hpp"
#include "installer/installed_patch.hpp"
#include "installer/messages.hpp"
#include "installer/patch_removal.hpp"
#include "installer/sealed_patch.hpp"
#include "patch/patch_config.hpp"
#include "system/deploy.hpp"
#include "system/file_operations.hpp"
#include "system/folders.hpp"
#include "system/install_lock.hpp"
#include "system/process.hpp"
#include "system/text.hpp"
#include "system/ui_language.hpp"

#include <windows.h>

#include <array>

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

// The patch is on the game: the player may take it off.
exit_code offer_removal(const patch_on_game& patch, const fs::path& game_folder,
                        const player_messages& messages) {
  if (!messages.ask_to_remove()) {
    return exit_code::installed;
  }
  if (patch.covered) {
    const auto& [file, other] = *patch.covered;
    messages.show_removal_refused(file, other.patch_name, other.game_name);
    return exit_code::unexpected_failure;
  }
  remove_patch(game_folder, *patch.own);
  messages.show_removed();
  return exit_code::removed;
}

fs::path executable_folder() {
  std::array<wchar_t, MAX_PATH> buffer{};
  ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  return fs::path(buffer.data()).parent_path();
}

}  // namespace

exit_code run_installer(error_location& location, player_messages& messages) {
  const fs::path folder = executable_folder();
  const fs::path archives = folder / "archives";
  // Double-clicked inside a zip, or copied without its folder: the player
  // needs to hear how to start it, not what the JSON library says.
  if (const path_kind config_file = examine_path(archives / "config.json").kind;
      config_file == path_kind::none || config_file == path_kind::no_folder) {
    player_messages(user_interface_language()).show_no_patch_files(is_temporary_extraction(folder));
    return exit_code::unexpected_failure;
  }
  const patch_config config = read_archives_config(archives, location);
  messages = player_messages(config, user_interface_language());

  if (is_game_running(widen_utf8(config.process_name))) {
    messages.show_game_running();
    return exit_code::game_running;
  }

  // A sealed patch is checked first: a damaged one is no patch for any game.
  std::optional<sealed_patch> sealed;
  if (!config.checksums.empty()) {
    sealed = read_sealed_patch(archives, config, location);
    if (!check_sealed_patch(archives, *sealed, messages)) {
      return exit_code::unexpected_failure;  // the player cancelled the check: no further box
    }
  }

  version_check versions(config, archives, sealed ? &*sealed : nullptr);
  const game_search search = find_game_folder(config, versions, location, &messages);
  if (search.cancelled) {
    return exit_code::game_not_found;  // the player chose to stop: no further box
  }
  if (!search.folder && search.wrong) {
    messages.show_wrong_version(*search.wrong);
    return exit_code::wrong_version;
  }
  if (!search.folder) {
    messages.show_game_not_found();
    return exit_code::game_not_found;
  }
  const fs::path& game_folder = *search.folder;

  // Held until the process ends: a second installer started meanwhile (a
  // double click too many) would take this run's originals for its own.
  const install_lock lock = lock_game_folder(game_folder);
  if (!lock) {
    messages.show_installer_busy(game_folder);
    return exit_code::unexpected_failure;
  }
  const std::vector<fs::path> files = sealed ? sealed->files : collect_archive_files(archives);
  // What killed runs left is put right before any record is believed.
  finish_earlier_patch_work(game_folder);
  const patch_on_game patch =
      examine_patch_on_game(config, archives, files, sealed ? &*sealed : nullptr, game_folder);
  if (patch.intact) {
    return offer_removal(patch, game_folder, messages);
  }
  if (!patch.examined) {
    deploy_archive_files(files, archives, game_folder);
  } else {
    const bool keeping = config.keep_originals || patch.own;
    deploy_to_destinations(files, patch.destinations, game_folder,
                           keeping ? keeping_originals(config, patch, files, game_folder) : copy_commit{});
  }
  messages.show_installed();
  // The install is complete without this; the player need not wait for it.
  remove_replaced_originals(game_folder);
  return exit_code::installed;
}
