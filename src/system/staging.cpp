#include "system/staging.hpp"

#include "system/file_operations.hpp"
#include "system/text.hpp"
#include "system/windows_error.hpp"

#include <fmt/format.h>
#include <windows.h>

#include <algorithm>
#include <optional>

namespace fs = std::filesystem;

namespace {

std::string originals_left_in(const fs::path& staging) {
  return fmt::format("The game's original files that were not put back are in {}", path_to_utf8(staging));
}

std::string could_not_examine(const fs::path& path, unsigned long code) {
  return describe_windows_error(fmt::format("the game file {} could not be examined", path_to_utf8(path)),
                                code);
}

// Joins two failures, either of which may be missing.
std::optional<std::string> joined(std::optional<std::string> first,
                                  const std::optional<std::string>& second) {
  if (!first || !second) {
    return first ? first : second;
  }
  return *first + "; " + *second;
}

// Moves the originals `relatives` from `staging` back below `game_folder`,
// replacing what the copy put there.
std::optional<std::string> put_back(const fs::path& game_folder, const fs::path& staging,
                                    const std::vector<fs::path>& relatives) {
  return move_files_between(staging, game_folder, relatives, true);
}

// What copying to the destinations will find in the game folder: the game
// files it replaces, and the folders it creates.
struct replacement_plan {
  std::vector<fs::path> existing;  // relative
  std::set<fs::path> missing_folders;
};

// Adds to `plan` the folders on the way to `relative` that are missing.
void note_missing_folders(const fs::path& game_folder, const fs::path& relative, replacement_plan& plan) {
  for (fs::path folder = relative.parent_path(); !folder.empty(); folder = folder.parent_path()) {
    const fs::path full = game_folder / folder;
    if (plan.missing_folders.count(full)) {
      return;  // and so are the ones above it
    }
    switch (const path_state state = examine_path(full); state.kind) {
      case path_kind::folder:
        return;
      case path_kind::file:
        throw game_unchanged_error(
            fmt::format("a file stands where the patch needs the folder {}", path_to_utf8(full)));
      case path_kind::unknown:
        throw game_unchanged_error(could_not_examine(full, state.error), state.error, game_folder);
      case path_kind::none:
      case path_kind::no_folder:
        plan.missing_folders.insert(full);
    }
  }
}

// Examines every destination before anything is changed.
replacement_plan plan_replacement(const fs::path& game_folder, const std::vector<fs::path>& relatives) {
  replacement_plan plan;
  for (const fs::path& relative : relatives) {
    const fs::path target = game_folder / relative;
    switch (const path_state state = examine_path(target); state.kind) {
      case path_kind::none:
        break;
      case path_kind::no_folder:
        note_missing_folders(game_folder, relative, plan);
        break;
      case path_kind::file:
        plan.existing.push_back(relative);
        break;
      case path_kind::folder:
        // Moving it aside would need the whole folder, and the commit would
        // delete everything in it.
        throw game_unchanged_error(
            fmt::format("a folder stands where the patch file {} goes", path_to_utf8(target)));
      case path_kind::unknown:
        throw game_unchanged_error(could_not_examine(target, state.error), state.error, game_folder);
    }
  }
  return plan;
}

}  // namespace

bool is_staging_name(const fs::path& name) noexcept {
  return same_file_name(name, staging_folder_name) || same_file_name(name, committed_folder_name) ||
         same_file_name(name, backup_folder_name);
}

std::optional<std::string> move_files_between(const fs::path& from, const fs::path& to,
                                              const std::vector<fs::path>& relatives, bool replace) {
  std::optional<std::string> failure;
  std::set<fs::path> folders;
  for (const fs::path& relative : relatives) {
    const fs::path target = to / relative;
    unsigned long code = create_folders(target.parent_path(), folders);
    if (code == 0) {
      code = move_file(from / relative, target, replace);
    }
    if (code && !failure) {
      failure = describe_windows_error(
          fmt::format("moving {} to {} failed", path_to_utf8(from / relative), path_to_utf8(target)), code);
    }
  }
  return failure;
}

std::vector<fs::path> originals_below(const fs::path& folder) {
  folder_tree tree;
  if (const auto failure = list_tree(folder, tree)) {
    throw rollback_failed_error(fmt::format("{}. {}", *failure, originals_left_in(folder)));
  }
  for (fs::path& file : tree.files) {
    file = file.lexically_relative(folder);
  }
  return std::move(tree.files);
}

void remove_empty_folders(std::vector<fs::path> folders) {
  std::sort(folders.begin(), folders.end(),
            [](const fs::path& a, const fs::path& b) { return a.native().size() > b.native().size(); });
  for (const fs::path& folder : folders) {
    remove_folder(folder);
  }
}

bool remove_empty_tree(const fs::path& folder) {
  folder_tree tree;
  list_tree(folder, tree);
  tree.folders.push_back(folder);
  remove_empty_folders(std::move(tree.folders));
  return examine_path(folder).kind == path_kind::none;
}

unsigned long rename_when_free(const fs::path& from, const fs::path& to) noexcept {
  unsigned long code = 0;
  for (int attempt = 0; attempt < 20; ++attempt) {
    code = move_file(from, to, false);
    if (code != ERROR_ACCESS_DENIED && code != ERROR_SHARING_VIOLATION) {
      break;
    }
    ::Sleep(50);
  }
  return code;
}

void finish_earlier_runs(const fs::path& game_folder) {
  // A committed folder holds what a finished run replaced and had no time to
  // delete. It is in the way of this run's commit.
  const fs::path committed = game_folder / committed_folder_name;
  if (const auto failure = remove_tree(committed)) {
    throw game_unchanged_error(
        fmt::format("the files that an earlier installation replaced, in {}, could not be deleted: {}",
                    path_to_utf8(committed), *failure));
  }
  // A staging folder means that a run was killed before it had committed or
  // rolled back: its originals come back before anything else.
  const fs::path staging = game_folder / staging_folder_name;
  if (const auto failure = put_back(game_folder, staging, originals_below(staging))) {
    throw rollback_failed_error(
        fmt::format("an earlier run that did not finish left the game's files aside; {}. {}", *failure,
                    originals_left_in(staging)));
  }
  remove_empty_tree(staging);
}

staged_replacement::staged_replacement(fs::path game_folder, std::vector<fs::path> destinations)
    : game_folder_(std::move(game_folder)), destinations_(std::move(destinations)) {
  finish_earlier_runs(game_folder_);
  const replacement_plan plan = plan_replacement(game_folder_, destinations_);
  created_folders_.assign(plan.missing_folders.begin(), plan.missing_folders.end());
  move_aside(plan.existing);
}

void staged_replacement::move_aside(const std::vector<fs::path>& existing) {
  std::set<fs::path> staging_folders;
  for (const fs::path& relative : existing) {
    const fs::path target = game_folder_ / relative;
    const fs::path aside = staging() / relative;
    unsigned long code = create_folders(aside.parent_path(), staging_folders);
    if (code == 0) {
      code = move_file(target, aside, false);
    }
    if (code == 0) {
      moved_.push_back(relative);
      continue;
    }
    const std::string failure = describe_windows_error(
        fmt::format("the game file {} could not be moved aside", path_to_utf8(target)), code);
    if (const auto undo_failure = put_back(game_folder_, staging(), moved_)) {
      throw rollback_failed_error(
          fmt::format("{}; {}. {}", failure, *undo_failure, originals_left_in(staging())));
    }
    remove_empty_tree(staging());
    throw game_unchanged_error(failure, code, game_folder_);
  }
}

void staged_replacement::commit() {
  if (moved_.empty()) {
    return;  // nothing was replaced, and no staging folder made
  }
  const fs::path committed = game_folder_ / committed_folder_name;
  if (const unsigned long code = rename_when_free(staging(), committed)) {
    roll_back(describe_windows_error(
        fmt::format("the copy succeeded, but recording that in {} failed", path_to_utf8(committed)), code));
  }
}

void staged_replacement::commit_keeping(const fs::path& originals, const fs::path& pending,
                                        const fs::path& committed) {
  unsigned long code = moved_.empty() ? 0 : rename_when_free(staging(), originals);
  const bool kept = code == 0 && !moved_.empty();
  if (code == 0) {
    code = rename_when_free(pending, committed);
  }
  if (code == 0) {
    return;
  }
  const std::string failure = describe_windows_error(
      fmt::format("the copy succeeded, but keeping the game's files in {} failed", path_to_utf8(committed)),
      code);
  if (kept) {
    if (const unsigned long back = move_file(originals, staging(), false)) {
      throw rollback_failed_error(describe_windows_error(
          fmt::format("{}; moving them back failed. {}", failure, originals_left_in(originals)), back));
    }
  }
  roll_back(failure);
}

void staged_replacement::roll_back(const std::string& reason) {
  std::optional<std::string> failure;
  for (const fs::path& relative : destinations_) {
    const fs::path target = game_folder_ / relative;
    if (const unsigned long code = delete_file(target); code && !failure) {
      failure = describe_windows_error(fmt::format("removing the patch file {} failed", path_to_utf8(target)),
                                       code);
    }
  }
  failure = joined(failure, put_back(game_folder_, staging(), moved_));
  remove_empty_folders(created_folders_);
  const bool originals_left = !remove_empty_tree(staging());
  if (failure) {
    throw rollback_failed_error(fmt::format("{}; undoing it, {}.{}", reason, *failure,
                                            originals_left ? " " + originals_left_in(staging()) : ""));
  }
  throw game_unchanged_error(reason);
}

void remove_replaced_originals(const fs::path& game_folder) {
  remove_tree(game_folder / committed_folder_name);  // the next run deletes what is left
}
