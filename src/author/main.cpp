#include "author/check.hpp"
#include "author/console.hpp"
#include "author/seal.hpp"
#include "system/dll_search.hpp"
#include "system/folders.hpp"
#include "system/text.hpp"

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr char usage[] =
    "usage: patch_author check [FOLDER]\n"
    "       patch_author seal [FOLDER] [--game-file PATH]...\n"
    "FOLDER holds the installer and its archives folder; it is this program's own folder unless given.\n"
    "  check  reports every problem of archives\\config.json and the patch, and what an installer run\n"
    "         would do on this machine; changes nothing. Exit code 0 when a run would copy the patch.\n"
    "  seal   writes the patch's checksum file, and prints a game_versions entry for the game found\n"
    "         on this machine, with the SHA-256 of each --game-file (default: the game's executable).";

}  // namespace

int wmain(int argc, wchar_t** argv) {
  restrict_dll_search_to_system32();
  ::SetConsoleOutputCP(CP_UTF8);
  const std::vector<std::wstring> arguments(argv + 1, argv + argc);
  if (arguments.empty() || (arguments[0] != L"check" && arguments[0] != L"seal")) {
    say(usage);
    return 2;
  }
  const fs::path own_folder = executable_folder();
  fs::path folder = own_folder;
  std::vector<std::string> game_files;
  for (std::size_t index = 1; index < arguments.size(); ++index) {
    if (arguments[0] == L"seal" && arguments[index] == L"--game-file" && index + 1 < arguments.size()) {
      game_files.push_back(narrow_utf16(arguments[++index]));
    } else if (arguments[index].rfind(L"--", 0) != 0 && folder == own_folder) {
      folder = fs::absolute(arguments[index]);
    } else {
      say(usage);
      return 2;
    }
  }
  return arguments[0] == L"check" ? check_patch(folder) : seal_patch(folder, game_files);
}
