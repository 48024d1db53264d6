#include "dll_search.hpp"
#include "flow.hpp"
#include "messages.hpp"
#include "text.hpp"

#include <windows.h>

#include <exception>
#include <string>

namespace {

// The one place where a failure becomes words for the player: the flow stops
// at the failing stage, so nothing was copied after it.
int report_failure(const std::string& reason) {
  show_message(widen_utf8("The patch was not installed because of an unexpected error:\n\n" + reason),
               L"Patch installer");
  return unexpected_failure;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // First of all: the shell copy and the message box load DLLs on demand.
  restrict_dll_search_to_system32();
  try {
    return run_installer();
  } catch (const std::exception& error) {
    return report_failure(error.what());
  } catch (...) {
    return report_failure("an error of unknown type");
  }
}
