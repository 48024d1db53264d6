#include "system/deploy.hpp"

#include "system/file_operations.hpp"
#include "system/links.hpp"
#include "system/text.hpp"
#include "system/windows_error.hpp"

#include <fmt/format.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>

namespace fs = std::filesystem;

namespace {

// The shell takes a list of paths as one buffer: each path ends with a NUL,
// and the list with two more.
void append_entry(std::wstring& list, const fs::path& path) {
  list += path.native();
  list += L'\0';
}

void end_list(std::wstring& list) { list.append(2, L'\0'); }

// Whether the path from `archives_folder` down to `file` passes a link: the
// file itself, or a folder between. `plain` remembers the folders known to
// be none, so that each costs one call to Windows.
bool passes_a_link(const fs::path& file, const fs::path& relative, const fs::path& archives_folder,
                   std::set<fs::path>& plain) {
  if (is_link(file)) {
    return true;
  }
  fs::path folder = archives_folder;
  for (auto element = relative.begin(); std::next(element) != relative.end(); ++element) {
    folder /= *element;
    if (!plain.count(folder)) {
      if (is_link(folder)) {
        return true;
      }
      plain.insert(folder);
    }
  }
  return false;
}

// The place of `file` below the game folder: its place below archives. A
// link on the way may lead anywhere, to files that are no part of the patch,
// and resolving it is no help (the standard library does not see Wine's
// links), so the whole patch is refused instead; so is a file that would
// land in the installer's own folders, among the game's originals.
fs::path relative_destination(const fs::path& file, const fs::path& archives_folder,
                              std::set<fs::path>& plain) {
  const fs::path relative = file.lexically_relative(archives_folder);
  const bool climbs_out =
      std::any_of(relative.begin(), relative.end(), [](const fs::path& element) { return element == ".."; });
  if (relative.empty() || relative == "." || climbs_out) {
    throw std::runtime_error(fmt::format("the patch file {} lies outside the archives folder {}",
                                         path_to_utf8(file), path_to_utf8(archives_folder)));
  }
  if (passes_a_link(file, relative, archives_folder, plain)) {
    throw std::runtime_error(
        fmt::format("the patch file {} lies below a link, which may lead out of the archives folder {}",
                    path_to_utf8(file), path_to_utf8(archives_folder)));
  }
  if (is_staging_name(*relative.begin())) {
    throw std::runtime_error(
        fmt::format("the patch file {} would land in the installer's staging folder", path_to_utf8(file)));
  }
  return relative;
}

// Runs the one shell copy; the shell's result, or -1 when it was cancelled.
int shell_copy(const std::wstring& sources, const std::wstring& destinations) {
  SHFILEOPSTRUCTW operation{};
  operation.hwnd = nullptr;
  operation.wFunc = FO_COPY;
  operation.pFrom = sources.c_str();
  operation.pTo = destinations.c_str();
  operation.fFlags = FOF_MULTIDESTFILES | FOF_NOCONFIRMATION;
  const int result = ::SHFileOperationW(&operation);
  return result == 0 && operation.fAnyOperationsAborted ? -1 : result;
}

// The first of `destinations` that does not hold as many bytes as its file
// of `files`, or nothing. The shell can answer success for a copy that
// skipped a file (the player's "Skip" in its error dialog).
std::optional<std::string> first_incomplete(const std::vector<fs::path>& files,
                                            const std::vector<fs::path>& destinations) {
  for (std::size_t index = 0; index < files.size(); ++index) {
    const auto source = file_size_of(files[index]);
    const auto arrived = file_size_of(destinations[index]);
    if (!arrived) {
      return fmt::format("copying the patch files ended, but {} is missing",
                         path_to_utf8(destinations[index]));
    }
    if (!source) {
      return fmt::format("copying the patch files ended, but the patch file {} is gone",
                         path_to_utf8(files[index]));
    }
    if (*source != *arrived) {
      return fmt::format("copying the patch files ended, but {} holds {} bytes instead of {}",
                         path_to_utf8(destinations[index]), *arrived, *source);
    }
  }
  return std::nullopt;
}

// What the shell's own result codes mean: most are not Windows codes.
std::string shell_failure(int result) {
  struct meaning {
    int code;
    const char* words;
  };
  static constexpr meaning meanings[] = {
      {0x71, "a file would be copied onto itself"},
      {0x72, "several files were to be copied to one"},
      {0x73, "the files are not in one folder"},
      {0x74, "a path names a drive's root"},
      {0x75, "the copy was cancelled"},
      {0x76, "a folder would be copied into itself"},
      {0x78, "a patch file could not be read"},
      {0x79, "a path is too long"},
      {0x7A, "the lists of files do not match"},
      {0x7C, "a path is not valid"},
      {0x7D, "the source and the destination are the same folder"},
      {0x7E, "a file stands where a folder must go"},
      {0x80, "a folder stands where a file must go"},
      {0x81, "a file name is too long"},
      {0x82, "the destination is a CD-ROM"},
      {0x83, "the destination is a DVD"},
      {0x84, "the destination is a writable CD"},
      {0x85, "a file is too large for the destination drive"},
      {0x86, "a patch file is on a CD-ROM that cannot be read"},
      {0x87, "a patch file is on a DVD that cannot be read"},
      {0x88, "a patch file is on a writable CD that cannot be read"},
      {0xB7, "a file name is too long for the destination"},
      {0x402, "an unknown error at the destination"},
      {ERROR_CANCELLED, "the copy stopped: the player cancelled it, or the shell could not go on"},
      {0x10000, "an error at the destination"},
  };
  for (const meaning& known : meanings) {
    if (known.code == result) {
      return fmt::format("copying the patch files failed (shell error {}: {})", result, known.words);
    }
  }
  return describe_windows_error("copying the patch files failed (shell error)",
                                static_cast<unsigned long>(result));
}

}  // namespace

std::vector<fs::path> patch_destinations(const std::vector<fs::path>& files,
                                         const fs::path& archives_folder) {
  std::set<fs::path> plain;
  std::vector<fs::path> relatives;
  for (const fs::path& file : files) {
    relatives.push_back(relative_destination(file, archives_folder, plain));
  }
  return relatives;
}

void deploy_archive_files(const std::vector<fs::path>& files, const fs::path& archives_folder,
                          const fs::path& game_folder, const copy_commit& commit) {
  deploy_to_destinations(files, patch_destinations(files, archives_folder), game_folder, commit);
}

void deploy_to_destinations(const std::vector<fs::path>& files, std::vector<fs::path> relatives,
                            const fs::path& game_folder, const copy_commit& commit) {
  std::wstring sources;
  std::wstring destination_list;
  std::vector<fs::path> destinations;
  for (std::size_t index = 0; index < files.size(); ++index) {
    destinations.push_back(game_folder / relatives[index]);
    append_entry(sources, files[index]);
    append_entry(destination_list, destinations.back());
  }
  end_list(sources);
  end_list(destination_list);

  staged_replacement staging(game_folder, std::move(relatives));
  const int result = shell_copy(sources, destination_list);
  // With nothing to copy nothing can fail, whatever the shell answers (Wine
  // answers 5 for two empty lists).
  if (!files.empty() && result == -1) {
    staging.roll_back("copying the patch files was cancelled");
  }
  if (!files.empty() && result != 0) {
    staging.roll_back(shell_failure(result));
  }
  if (const auto incomplete = first_incomplete(files, destinations)) {
    staging.roll_back(*incomplete);
  }
  if (commit) {
    commit(staging, destinations);
  } else {
    staging.commit();
  }
}
