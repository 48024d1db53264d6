#include "installer/flow.hpp"
#include "installer/messages.hpp"
#include "system/dll_search.hpp"

#include <windows.h>

#include <exception>

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
  } catch (const installer_error& error) {
    messages.show_failure(error, location);
  } catch (const std::exception& error) {  // the libraries' own: JSON, containers, memory
    messages.show_not_installed(error.what(), location);
  } catch (...) {
    messages.show_not_installed("an error of unknown type", location);
  }
  return static_cast<int>(exit_code::failed);
}
