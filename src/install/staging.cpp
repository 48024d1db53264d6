#include "install/staging.hpp"

#include "install/backup.hpp"
#include "install/tree_moves.hpp"
#include "system/file_operations.hpp"
#include "system/test_hook.hpp"
#include "system/text.hpp"
#include "system/windows_error.hpp"

#include <fmt/format.h>

#include <optional>
#include <set>

namespace fs = std::filesystem;

namespace {

std::string originals_left_in(const fs::path& staging) {
  return files_left_in(staging, "The game's original files");
}

[[noreturn]] void throw_unchanged(failure why) {
  throw installer_error(std::move(why), aftermath::install_undone);
}

[[noreturn]] void throw_left(std::string why) {
  throw installer_error(failure(std::move(why)), aftermath::install_left);
}

// What a run that was killed while staged listed as created; nothing when
// it left no whole list, since it was killed before it changed anything.
created_paths created_by_killed_run(const fs::path& staging) {
  const result<std::string> text = read_small_file(staging / created_list_name, 64 << 20);
  try {
    return text ? read_created_paths(*text) : created_paths{};
  } catch (const record_error&) {
    return {};
  }
}

[[noreturn]] void throw_not_examined(const fs::path& path, const fs::path& game_folder, const failure& why) {
  throw_unchanged(windows_failure(fmt::format("the game file {} could not be examined", path_to_utf8(path)),
                                  why.code, game_folder));
}

// What copying to the destinations will find in the game folder: the game
// files it replaces, the files it creates, and the folders it makes.
struct replacement_plan {
  std::vector<fs::path> existing;  // relative
  std::vector<fs::path> missing;   // relative
  std::set<fs::path> missing_folders;
};

// Adds to `plan` the folders on the way to `relative` that are missing.
void note_missing_folders(const fs::path& game_folder, const fs::path& relative, replacement_plan& plan) {
  for (fs::path folder = relative.parent_path(); !folder.empty(); folder = folder.parent_path()) {
    const fs::path full = game_folder / folder;
    if (plan.missing_folders.count(full)) {
      return;  // and so are the ones above it
    }
    const result<path_kind> kind = examine_path(full);
    if (!kind) {
      throw_not_examined(full, game_folder, kind.error());
    }
    if (*kind == path_kind::folder) {
      return;
    }
    if (*kind == path_kind::file) {
      throw_unchanged(
          failure(fmt::format("a file stands where the patch needs the folder {}", path_to_utf8(full))));
    }
    plan.missing_folders.insert(full);
  }
}

// Examines every destination before anything is changed.
replacement_plan plan_replacement(const fs::path& game_folder, const std::vector<fs::path>& relatives) {
  replacement_plan plan;
  for (const fs::path& relative : relatives) {
    const fs::path target = game_folder / relative;
    const result<path_kind> kind = examine_path(target);
    if (!kind) {
      throw_not_examined(target, game_folder, kind.error());
    }
    if (*kind == path_kind::none || *kind == path_kind::no_folder) {
      plan.missing.push_back(relative);
    }
    if (*kind == path_kind::no_folder) {
      note_missing_folders(game_folder, relative, plan);
    } else if (*kind == path_kind::file) {
      plan.existing.push_back(relative);
    } else if (*kind == path_kind::folder) {
      // Moving it aside would need the whole folder, and the commit would
      // delete everything in it.
      throw_unchanged(
          failure(fmt::format("a folder stands where the patch file {} goes", path_to_utf8(target))));
    }
  }
  return plan;
}

}  // namespace

void finish_staging_of_earlier_runs(const fs::path& game_folder) {
  // A committed folder holds what a finished run replaced and had no time to
  // delete. It is in the way of this run's commit.
  const fs::path committed = game_folder / committed_folder_name;
  if (const result<> removed = remove_tree(committed); !removed) {
    throw_unchanged(failure(
        fmt::format("the files that an earlier installation replaced, in {}, could not be deleted: {}",
                    path_to_utf8(committed), removed.error().what)));
  }
  // A staging folder means that a run was killed before it had committed or
  // rolled back: what it created goes, and its originals come back, before
  // anything else.
  const fs::path staging = game_folder / staging_folder_name;
  const created_paths created = created_by_killed_run(staging);
  for (const fs::path& file : from_record_paths(created.files)) {
    if (const result<> deleted = delete_file(game_folder / file); !deleted) {
      throw_left(fmt::format("an earlier run that did not finish left a file of its patch in the game; {}",
                             deleted.error().what));
    }
  }
  result<std::vector<fs::path>> originals = files_below(staging);
  if (!originals) {
    throw_left(fmt::format("{}. {}", originals.error().what, originals_left_in(staging)));
  }
  std::erase(*originals, fs::path(created_list_name));
  if (const result<> back = move_files_between(staging, game_folder, *originals, true); !back) {
    throw_left(fmt::format("an earlier run that did not finish left the game's files aside; {}. {}",
                           back.error().what, originals_left_in(staging)));
  }
  remove_empty_folders(from_record_paths(created.folders, game_folder));
  (void)delete_file(staging / created_list_name);  // a list that stays lists nothing left to delete
  remove_empty_tree(staging);
}

staged_replacement::staged_replacement(fs::path game_folder, std::vector<fs::path> destinations)
    : game_folder_(std::move(game_folder)), destinations_(std::move(destinations)) {
  const replacement_plan plan = plan_replacement(game_folder_, destinations_);
  created_folders_.assign(plan.missing_folders.begin(), plan.missing_folders.end());
  list_created(plan.missing);
  pause_for_test(L"staged");
  move_aside(plan.existing);
  pause_for_test(L"moved-aside");
}

void staged_replacement::list_created(const std::vector<fs::path>& files) {
  created_paths created;
  for (const fs::path& file : files) {
    created.files.push_back(record_path(file));
  }
  for (const fs::path& folder : created_folders_) {
    created.folders.push_back(record_path(folder.lexically_relative(game_folder_)));
  }
  std::set<fs::path> made;
  result<> listed = create_folders(staged(), made);
  if (listed) {
    listed = write_new_file(staged() / created_list_name, created_paths_json(created));
  }
  if (!listed) {
    (void)remove_tree(staged());  // it holds nothing of the game yet
    throw_unchanged(
        windows_failure(fmt::format("listing what the patch creates in {} failed", path_to_utf8(staged())),
                        listed.error().code, game_folder_));
  }
}

void staged_replacement::move_aside(const std::vector<fs::path>& existing) {
  std::set<fs::path> staging_folders;
  for (const fs::path& relative : existing) {
    const fs::path target = game_folder_ / relative;
    const fs::path aside = staged() / relative;
    result<> moved = create_folders(aside.parent_path(), staging_folders);
    if (moved) {
      moved = move_file(target, aside, false);
    }
    if (moved) {
      moved_.push_back(relative);
      if (moved_.size() == 1) {
        pause_for_test(L"moving-aside");
      }
      continue;
    }
    const failure why =
        windows_failure(fmt::format("the game file {} could not be moved aside", path_to_utf8(target)),
                        moved.error().code, game_folder_);
    if (const result<> back = move_files_between(staged(), game_folder_, moved_, true); !back) {
      throw_left(fmt::format("{}; {}. {}", why.what, back.error().what, originals_left_in(staged())));
    }
    clear_staging();
    throw_unchanged(why);
  }
}

bool staged_replacement::clear_staging() {
  (void)delete_file(staged() / created_list_name);  // one that stays names only what is gone already
  return remove_empty_tree(staged());
}

void staged_replacement::commit() {
  const fs::path committed = game_folder_ / committed_folder_name;
  if (const result<> renamed = rename_when_free(staged(), committed); !renamed) {
    roll_back(describe_windows_error(
        fmt::format("the copy succeeded, but recording that in {} failed", path_to_utf8(committed)),
        renamed.error().code));
  }
}

void staged_replacement::commit_keeping(const fs::path& originals, const fs::path& pending,
                                        const fs::path& committed) {
  // The record in `pending` lists what was created from now on, and no
  // original may be taken for the list.
  if (moved_.empty()) {
    clear_staging();
  } else {
    (void)delete_file(staged() / created_list_name);  // one that stays names only what the record names
  }
  result<> renamed = moved_.empty() ? result<>() : rename_when_free(staged(), originals);
  const bool kept = renamed && !moved_.empty();
  pause_for_test(L"committing");
  if (renamed) {
    renamed = rename_when_free(pending, committed);
  }
  if (renamed) {
    return;
  }
  const std::string why = describe_windows_error(
      fmt::format("the copy succeeded, but keeping the game's files in {} failed", path_to_utf8(committed)),
      renamed.error().code);
  if (kept) {
    if (const result<> back = move_file(originals, staged(), false); !back) {
      throw_left(describe_windows_error(
          fmt::format("{}; moving them back failed. {}", why, originals_left_in(originals)),
          back.error().code));
    }
  }
  roll_back(why);
}

void staged_replacement::roll_back(const std::string& reason) {
  std::optional<std::string> undo_failure;  // the first one
  for (const fs::path& relative : destinations_) {
    const fs::path target = game_folder_ / relative;
    if (const result<> deleted = delete_file(target); !deleted && !undo_failure) {
      undo_failure = describe_windows_error(
          fmt::format("removing the patch file {} failed", path_to_utf8(target)), deleted.error().code);
    }
  }
  const result<> back = move_files_between(staged(), game_folder_, moved_, true);
  if (!back) {
    undo_failure = undo_failure ? *undo_failure + "; " + back.error().what : back.error().what;
  }
  remove_empty_folders(created_folders_);
  // Whatever could not be undone, the list stays for the next run to try again.
  const bool originals_left = undo_failure ? !remove_empty_tree(staged()) : !clear_staging();
  if (undo_failure) {
    const std::string left = originals_left ? originals_left_in(staged()) : std::string();
    throw_left(fmt::format("{}; undoing it, {}.{}{}", reason, *undo_failure, left.empty() ? "" : " ", left));
  }
  throw_unchanged(failure(reason));
}

void remove_replaced_originals(const fs::path& game_folder) {
  (void)remove_tree(game_folder / committed_folder_name);  // the next run deletes what is left
}
