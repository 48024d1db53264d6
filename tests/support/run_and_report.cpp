// Runs a GUI program the way a player would, reads the message box it shows,
// presses OK and prints what the player saw and the exit code:
//   run_and_report.exe PROGRAM WORKING_FOLDER
#include "support/test_support.hpp"

#include <cstdio>
#include <exception>
#include <string>

namespace {

void print_utf8(const std::wstring& text) {
  const std::u8string utf8 = std::filesystem::path(text).u8string();
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: run_and_report.exe PROGRAM WORKING_FOLDER\n", stderr);
    return 2;
  }
  try {
    const test_support::program_run run = test_support::run_and_dismiss(argv[1], argv[2]);
    if (run.box_shown) {
      print_utf8(L"Message box caption: " + run.caption + L"\nMessage box text:    " + run.text + L"\n");
    } else {
      print_utf8(L"No message box was shown.\n");
    }
    std::printf("Exit code: %lu\n", run.exit_code);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "run_and_report: %s\n", error.what());
    return 1;
  }
}
