#include "installer/flow.hpp"

#include "installer/archive_files.hpp"
#include "installer/game_search.hpp"
#include "installer/game_version.hpp"
#include "installer/messages.hpp"
#include "installer/sealed_patch.hpp"
#include "patch/patch_config.hpp"
#include "system/deploy.hpp"
#include "system/install_lock.hpp"
#include "system/process.hpp"
#include "system/text.hpp"

#include <windows.h>

#include <array>

namespace fs = std::filesystem;

namespace {

fs::path executable_folder() {
  std::array<wchar_t, MAX_PATH> buffer{};
  ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  return fs::path(buffer.data()).parent_path();
}

}  // namespace

exit_code run_installer(error_location& location) {
  const fs::path archives = executable_folder() / "archives";
  const patch_config config = read_archives_config(archives, location);

  if (is_game_running(widen_utf8(config.process_name))) {
    show_game_running(config);
    return exit_code::game_running;
  }

  // A sealed patch is checked first: a damaged one is no patch for any game.
  std::optional<sealed_patch> sealed;
  if (!config.checksums.empty()) {
    sealed = read_sealed_patch(archives, config, location);
    if (!check_sealed_patch(archives, *sealed, config)) {
      return exit_code::unexpected_failure;  // the player cancelled the check: no further box
    }
  }

  version_check versions(config, archives, sealed ? &*sealed : nullptr);
  const game_search search = find_game_folder(config, versions, location, true);
  if (search.cancelled) {
    return exit_code::game_not_found;  // the player chose to stop: no further box
  }
  if (!search.folder && search.wrong) {
    show_wrong_version(config, *search.wrong);
    return exit_code::wrong_version;
  }
  if (!search.folder) {
    show_game_not_found(config);
    return exit_code::game_not_found;
  }
  const fs::path& game_folder = *search.folder;

  // Held until the process ends: a second installer started meanwhile (a
  // double click too many) would take this run's originals for its own.
  const install_lock lock = lock_game_folder(game_folder);
  if (!lock) {
    show_installer_busy(game_folder);
    return exit_code::unexpected_failure;
  }
  const std::vector<fs::path> files = sealed ? sealed->files : collect_archive_files(archives);
  deploy_archive_files(files, archives, game_folder);
  show_installed(config);
  // The install is complete without this; the player need not wait for it.
  remove_replaced_originals(game_folder);
  return exit_code::installed;
}
