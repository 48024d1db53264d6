#include "system/deploy.hpp"

#include "system/text.hpp"

#include <fmt/format.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;

namespace {

// The shell takes a list of paths as one buffer: each path ends with a NUL,
// and the list with two more.
void append_entry(std::wstring& list, const fs::path& path) {
  list += path.native();
  list += L'\0';
}

void end_list(std::wstring& list) { list.append(2, L'\0'); }

// A link in `archives` may resolve to a file elsewhere; its relative path
// then climbs out (or is empty for another drive). Copying it would write
// outside the game folder, so the whole patch is refused instead.
fs::path destination_below(const fs::path& game_folder, const fs::path& file,
                           const fs::path& canonical_archives) {
  const fs::path relative = fs::weakly_canonical(file).lexically_relative(canonical_archives);
  const bool climbs_out =
      std::any_of(relative.begin(), relative.end(), [](const fs::path& element) { return element == ".."; });
  if (relative.empty() || relative == "." || climbs_out) {
    throw std::runtime_error(fmt::format("the patch file {} lies outside the archives folder {}",
                                         path_to_utf8(file), path_to_utf8(canonical_archives)));
  }
  return game_folder / relative;
}

}  // namespace

void deploy_archive_files(const std::vector<fs::path>& files, const fs::path& archives_folder,
                          const fs::path& game_folder) {
  const fs::path canonical_archives = fs::weakly_canonical(archives_folder);
  std::wstring sources;
  std::wstring destinations;
  for (const fs::path& file : files) {
    append_entry(sources, file);
    append_entry(destinations, destination_below(game_folder, file, canonical_archives));
  }
  end_list(sources);
  end_list(destinations);

  SHFILEOPSTRUCTW operation{};
  operation.hwnd = nullptr;
  operation.wFunc = FO_COPY;
  operation.pFrom = sources.c_str();
  operation.pTo = destinations.c_str();
  operation.fFlags = FOF_MULTIDESTFILES | FOF_NOCONFIRMATION;
  const int result = ::SHFileOperationW(&operation);

  // With nothing to copy nothing can fail, whatever the shell answers (Wine
  // answers 5 for two empty lists).
  if (files.empty()) {
    return;
  }
  if (result != 0) {
    throw incomplete_copy_error(fmt::format("copying the patch files failed (shell error {})", result));
  }
  if (operation.fAnyOperationsAborted) {
    throw incomplete_copy_error("copying the patch files was cancelled");
  }
}
