#include "system/staging.hpp"

#include "system/text.hpp"

#include <fmt/format.h>
#include <windows.h>

#include <algorithm>
#include <optional>
#include <set>
#include <system_error>
#include <variant>

namespace fs = std::filesystem;

namespace {

// Renames `from` to `to` on its volume (never a copy); 0 or the error code.
DWORD move_file(const fs::path& from, const fs::path& to, DWORD flags) {
  return ::MoveFileExW(from.c_str(), to.c_str(), flags) ? 0 : ::GetLastError();
}

// Every file below `folder`, relative to it; empty when there is no folder.
std::vector<fs::path> files_below(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code error;
  for (fs::recursive_directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    if (!entry->is_directory()) {
      files.push_back(entry->path().lexically_relative(folder));
    }
  }
  return files;
}

// Removes `folders`, deepest first, where they are empty.
void remove_empty_folders(std::vector<fs::path> folders) {
  std::sort(folders.begin(), folders.end(),
            [](const fs::path& a, const fs::path& b) { return a.native().size() > b.native().size(); });
  for (const fs::path& folder : folders) {
    ::RemoveDirectoryW(folder.c_str());
  }
}

// Removes `folder` and the empty folders below it.
void remove_empty_tree(const fs::path& folder) {
  std::vector<fs::path> folders{folder};
  std::error_code error;
  for (fs::recursive_directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    if (entry->is_directory()) {
      folders.push_back(entry->path());
    }
  }
  remove_empty_folders(std::move(folders));
}

// Moves the originals `relatives` from `staging` back below `game_folder`,
// replacing what the copy put there. All are tried; the first failure is
// returned.
std::optional<std::string> put_back(const fs::path& game_folder, const fs::path& staging,
                                    const std::vector<fs::path>& relatives) {
  std::optional<std::string> failure;
  for (const fs::path& relative : relatives) {
    const fs::path target = game_folder / relative;
    std::error_code ignored;
    fs::create_directories(target.parent_path(), ignored);
    if (const DWORD code = move_file(staging / relative, target, MOVEFILE_REPLACE_EXISTING);
        code && !failure) {
      failure = fmt::format("putting back {} failed (error {})", path_to_utf8(target), code);
    }
  }
  return failure;
}

std::string originals_left_in(const fs::path& staging) {
  return fmt::format("The game's original files that were not put back are in {}", path_to_utf8(staging));
}

// The folders that copying to `relatives` below `game_folder` will create.
std::vector<fs::path> missing_folders(const fs::path& game_folder, const std::vector<fs::path>& relatives) {
  std::set<fs::path> missing;
  for (const fs::path& relative : relatives) {
    for (fs::path folder = (game_folder / relative).parent_path();
         folder.has_relative_path() && !fs::exists(folder); folder = folder.parent_path()) {
      missing.insert(folder);
    }
  }
  return {missing.begin(), missing.end()};
}

// Moves the game's file at `relative`, if there is one, to the same place
// below `staging`. Whether it moved one, or why it could not.
std::variant<bool, std::string> move_aside(const fs::path& game_folder, const fs::path& staging,
                                           const fs::path& relative) {
  const fs::path target = game_folder / relative;
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return false;  // nothing there yet
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    return fmt::format("a folder stands where the patch file {} goes", path_to_utf8(target));
  }
  std::error_code error;
  fs::create_directories((staging / relative).parent_path(), error);
  const DWORD code = error ? static_cast<DWORD>(error.value()) : move_file(target, staging / relative, 0);
  if (code != 0) {
    return fmt::format("the game file {} could not be moved aside (error {})", path_to_utf8(target), code);
  }
  return true;
}

}  // namespace

staged_replacement::staged_replacement(fs::path game_folder, std::vector<fs::path> destinations)
    : game_folder_(std::move(game_folder)),
      destinations_(std::move(destinations)),
      created_folders_(missing_folders(game_folder_, destinations_)) {
  // A staging folder here means that a run was killed before it had
  // committed or rolled back: its originals come back before anything else.
  if (const auto failure = put_back(game_folder_, staging(), files_below(staging()))) {
    throw rollback_failed_error(
        fmt::format("an earlier run that did not finish left the game's files aside; {}. {}", *failure,
                    originals_left_in(staging())));
  }
  remove_empty_tree(staging());

  for (const fs::path& relative : destinations_) {
    const auto moved = move_aside(game_folder_, staging(), relative);
    if (const bool* done = std::get_if<bool>(&moved)) {
      if (*done) {
        moved_.push_back(relative);
      }
      continue;
    }
    const std::string& failure = std::get<std::string>(moved);
    if (const auto undo_failure = put_back(game_folder_, staging(), moved_)) {
      throw rollback_failed_error(
          fmt::format("{}; {}. {}", failure, *undo_failure, originals_left_in(staging())));
    }
    remove_empty_tree(staging());
    throw game_unchanged_error(failure);
  }
}

void staged_replacement::commit() noexcept {
  std::error_code ignored;
  fs::remove_all(staging(), ignored);
}

void staged_replacement::roll_back(const std::string& reason) {
  const std::set<fs::path> moved(moved_.begin(), moved_.end());
  std::optional<std::string> failure;
  for (const fs::path& relative : destinations_) {
    const fs::path target = game_folder_ / relative;
    if (moved.count(relative) || ::DeleteFileW(target.c_str())) {
      continue;  // an original replaces it below
    }
    if (const DWORD code = ::GetLastError();
        code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND && !failure) {
      failure = fmt::format("removing the patch file {} failed (error {})", path_to_utf8(target), code);
    }
  }
  if (const auto put_back_failure = put_back(game_folder_, staging(), moved_)) {
    failure = failure ? *failure + "; " + *put_back_failure : *put_back_failure;
  }
  remove_empty_folders(created_folders_);
  const bool originals_left = !files_below(staging()).empty();
  remove_empty_tree(staging());
  if (failure) {
    throw rollback_failed_error(fmt::format("{}; undoing it, {}.{}", reason, *failure,
                                            originals_left ? " " + originals_left_in(staging()) : ""));
  }
  throw game_unchanged_error(reason);
}
