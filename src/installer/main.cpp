#include "installer/flow.hpp"
#include "installer/messages.hpp"
#include "installer/patch_removal.hpp"
#include "installer/sealed_patch.hpp"
#include "system/deploy.hpp"
#include "system/dll_search.hpp"
#include "system/text.hpp"

#include <windows.h>

#include <exception>
#include <string>

namespace {

// A failure's reason, led by the file it came from when one was being read.
std::string located(const error_location& location, const char* reason) {
  if (location.file.empty()) {
    return reason;
  }
  return path_to_utf8(location.file) + ": " + reason;
}

}  // namespace

// The one place where a failure becomes words for the player. The flow stops
// at the failing stage, so nothing was copied after it; a copy that stopped
// half-way was undone, or says where the game's own files are.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // First of all: the shell copy and the message box load DLLs on demand.
  restrict_dll_search_to_system32();
  error_location location;
  player_messages messages;
  try {
    return static_cast<int>(run_installer(location, messages));
  } catch (const patch_damaged_error& error) {
    messages.show_patch_damaged(error.how, error.file);
  } catch (const game_unchanged_error& error) {
    // Access denied, or a write-protected drive: the player can do
    // something about it.
    const bool refused = error.code == ERROR_ACCESS_DENIED || error.code == ERROR_WRITE_PROTECT;
    messages.show_game_unchanged(error.what(), refused ? std::optional(error.game_folder) : std::nullopt);
  } catch (const removal_error& error) {
    messages.show_not_removed(error.what(), error.game_unchanged);
  } catch (const rollback_failed_error& error) {
    messages.show_rollback_failed(error.what());
  } catch (const std::exception& error) {
    messages.show_not_installed(located(location, error.what()));
  } catch (...) {
    messages.show_not_installed(located(location, "an error of unknown type"));
  }
  return static_cast<int>(exit_code::unexpected_failure);
}
