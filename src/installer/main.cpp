#include "deploy.hpp"
#include "dll_search.hpp"
#include "flow.hpp"
#include "messages.hpp"
#include "text.hpp"

#include <windows.h>

#include <exception>
#include <string>

namespace {

constexpr char not_installed[] = "The patch was not installed because of an unexpected error:\n\n";
constexpr char partly_installed[] =
    "The patch may be installed only in part, because copying its files stopped:\n\n";
constexpr char install_again[] = "\n\nRun the installer again to complete it.";

// The one place where a failure becomes words for the player. The flow stops
// at the failing stage, so nothing was copied after it; only a copy that
// stopped half-way can have replaced some of the game's files.
int report_failure(const std::string& text) {
  show_message(widen_utf8(text), L"Patch installer");
  return unexpected_failure;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // First of all: the shell copy and the message box load DLLs on demand.
  restrict_dll_search_to_system32();
  try {
    return run_installer();
  } catch (const incomplete_copy_error& error) {
    return report_failure(partly_installed + std::string(error.what()) + install_again);
  } catch (const std::exception& error) {
    return report_failure(not_installed + std::string(error.what()));
  } catch (...) {
    return report_failure(not_installed + std::string("an error of unknown type"));
  }
}
