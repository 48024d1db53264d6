// The yardstick of the installer benchmark (tools/bench-install.sh): the
// installer's copy and nothing else. It walks the patch folder and builds the
// two shell lists the way src/installer/archive_files.cpp and
// src/system/deploy.cpp do (the same walk, the same relative paths, the
// same NUL-separated, double-NUL-terminated layout), then makes
// the one SHFileOperationW call with the same flags. Whatever the installer
// takes beyond this program is the cost of the rest of its run.
//   bare_copy.exe [--move-aside] ARCHIVES_FOLDER GAME_FOLDER
// With --move-aside it first renames every game file that the copy would
// replace into a folder beside the game folder, each folder of that tree
// made once: the least a copy that can be undone has to do more than one
// that overwrites in place. The moved files are left there.
// Exit code 0 when the copy succeeded, 2 on wrong usage, 3 when the shell
// failed, the copy was aborted or a file could not be moved aside.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
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

// Moves every one of `files` (below `archives`) that is also below
// `game_folder` to the same place below `aside`; false when one could not be
// moved.
bool move_aside(const std::vector<fs::path>& files, const fs::path& archives, const fs::path& game_folder,
                const fs::path& aside) {
  std::set<fs::path> made;
  for (const fs::path& file : files) {
    const fs::path relative = file.lexically_relative(archives);
    const fs::path target = game_folder / relative;
    if (::GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
      continue;
    }
    const fs::path moved = aside / relative;
    if (made.insert(moved.parent_path()).second) {
      fs::create_directories(moved.parent_path());
    }
    if (!::MoveFileExW(target.c_str(), moved.c_str(), 0)) {
      std::fprintf(stderr, "bare_copy: moving aside failed (error %lu)\n", ::GetLastError());
      return false;
    }
  }
  return true;
}

shell_lists build_lists(const std::vector<fs::path>& files, const fs::path& archives,
                        const fs::path& game_folder) {
  shell_lists lists;
  for (const fs::path& file : files) {
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
  const bool moving_aside = argc == 4 && std::wstring_view(argv[1]) == L"--move-aside";
  if (argc != 3 && !moving_aside) {
    std::fputs("usage: bare_copy.exe [--move-aside] ARCHIVES_FOLDER GAME_FOLDER\n", stderr);
    return 2;
  }
  const fs::path archives = argv[argc - 2];
  const fs::path game_folder = argv[argc - 1];
  try {
    const std::vector<fs::path> files = patch_files(archives);
    const fs::path aside = game_folder.parent_path() / (game_folder.filename().native() + L" aside");
    if (moving_aside && !move_aside(files, archives, game_folder, aside)) {
      return 3;
    }
    return copy(build_lists(files, archives, game_folder));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bare_copy: %s\n", error.what());
    return 3;
  }
}
