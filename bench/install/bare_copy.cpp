// The yardstick of the installer benchmark (tools/bench-install.sh): the
// installer's copy and nothing else. It walks the patch folder and builds the
// two shell lists the way src/installer/archive_files.cpp and
// src/system/deploy.cpp do (the same walk, the same relative paths, the
// same NUL-separated, double-NUL-terminated layout), then makes
// the one SHFileOperationW call with the same flags. Whatever the installer
// takes beyond this program is the cost of the rest of its run.
//   bare_copy.exe ARCHIVES_FOLDER GAME_FOLDER
// Exit code 0 when the copy succeeded, 2 on wrong usage, 3 when the shell
// failed or the copy was aborted.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct shell_lists {
  std::wstring sources;
  std::wstring destinations;
};

std::vector<fs::path> patch_files(const fs::path& archives) {
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(archives)) {
    if (entry.is_directory() || entry.path().filename() == "config.json") {
      continue;
    }
    files.push_back(entry.path());
  }
  return files;
}

void append_entry(std::wstring& list, const fs::path& path) {
  list += path.native();
  list += L'\0';
}

shell_lists build_lists(const fs::path& archives, const fs::path& game_folder) {
  shell_lists lists;
  for (const fs::path& file : patch_files(archives)) {
    append_entry(lists.sources, file);
    append_entry(lists.destinations, game_folder / file.lexically_relative(archives));
  }
  lists.sources.append(2, L'\0');
  lists.destinations.append(2, L'\0');
  return lists;
}

int copy(const shell_lists& lists) {
  SHFILEOPSTRUCTW operation{};
  operation.hwnd = nullptr;
  operation.wFunc = FO_COPY;
  operation.pFrom = lists.sources.c_str();
  operation.pTo = lists.destinations.c_str();
  operation.fFlags = FOF_MULTIDESTFILES | FOF_NOCONFIRMATION;
  const int result = ::SHFileOperationW(&operation);
  if (result != 0 || operation.fAnyOperationsAborted) {
    std::fprintf(stderr, "bare_copy: shell error %d, aborted %d\n", result, operation.fAnyOperationsAborted);
    return 3;
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: bare_copy.exe ARCHIVES_FOLDER GAME_FOLDER\n", stderr);
    return 2;
  }
  try {
    return copy(build_lists(argv[1], argv[2]));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bare_copy: %s\n", error.what());
    return 3;
  }
}
