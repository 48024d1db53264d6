#include "installer/patch_removal.hpp"

#include "system/file_operations.hpp"
#include "system/staging.hpp"
#include "system/text.hpp"
#include "system/windows_error.hpp"

#include <fmt/format.h>

#include <set>

namespace fs = std::filesystem;

namespace {

// Below a removal's folder, beside the originals: the patch's files, moved
// out of the game so that the removal can be undone.
constexpr wchar_t removed_files_name[] = L"patch";

std::vector<fs::path> relative_paths(const std::vector<std::string>& record_paths) {
  std::vector<fs::path> paths;
  for (const std::string& path : record_paths) {
    paths.push_back(from_record_path(path));
  }
  return paths;
}

std::vector<fs::path> files_of(const patch_record& record) {
  std::vector<fs::path> files = relative_paths(record.created_files);
  for (fs::path& replaced : relative_paths(record.replaced_files)) {
    files.push_back(std::move(replaced));
  }
  return files;
}

std::string files_left_in(const fs::path& folder) {
  return fmt::format("The files that were not put back are in {}", path_to_utf8(folder));
}

// Puts the patch back on as it was before the removal that `removing` (the
// removal's folder) records, from whatever point it stopped at, and gives
// the folder its id's name again. Nothing, or what failed.
std::optional<std::string> undo_removal(const fs::path& game_folder, const fs::path& removing,
                                        const patch_record& record) {
  const fs::path originals = removing / originals_folder_name;
  const fs::path patch_files = removing / removed_files_name;
  // An original that is back in the game goes back to the backup first.
  std::vector<fs::path> back_in_game;
  for (const fs::path& relative : relative_paths(record.replaced_files)) {
    if (examine_path(originals / relative).kind != path_kind::file &&
        examine_path(game_folder / relative).kind == path_kind::file) {
      back_in_game.push_back(relative);
    }
  }
  if (auto failure = move_files_between(game_folder, originals, back_in_game, false)) {
    return failure;
  }
  if (auto failure = move_files_between(patch_files, game_folder, originals_below(patch_files), false)) {
    return failure;
  }
  remove_empty_tree(patch_files);
  if (const unsigned long code =
          rename_when_free(removing, patch_backup_folder(game_folder, record.patch_id))) {
    return describe_windows_error(fmt::format("renaming {} back failed", path_to_utf8(removing)), code);
  }
  return std::nullopt;
}

[[noreturn]] void undo_and_throw(const fs::path& game_folder, const fs::path& removing,
                                 const patch_record& record, const std::string& reason) {
  if (const auto failure = undo_removal(game_folder, removing, record)) {
    throw removal_error(fmt::format("{}; undoing it, {}. {}", reason, *failure, files_left_in(removing)),
                        false);
  }
  throw removal_error(reason, true);
}

std::vector<fs::path> full_paths(const fs::path& game_folder, const std::vector<std::string>& record_paths) {
  std::vector<fs::path> paths;
  for (const fs::path& relative : relative_paths(record_paths)) {
    paths.push_back(game_folder / relative);
  }
  return paths;
}

std::optional<patch_record> readable_record(const fs::path& folder, std::wstring_view suffix) {
  try {
    return read_record_in(folder, suffix);
  } catch (const record_error&) {
    return std::nullopt;
  }
}

// An install killed before its commit: its record says what it created,
// and its originals are in it once the staging folder was moved there.
void undo_uncommitted_install(const fs::path& game_folder, const fs::path& pending) {
  const fs::path originals = pending / originals_folder_name;
  if (const auto failure = move_files_between(originals, game_folder, originals_below(originals), true)) {
    throw rollback_failed_error(
        fmt::format("an earlier run that did not finish left the game's files aside; {}. {}", *failure,
                    files_left_in(originals)));
  }
  // Without a whole record the run was killed before it wrote one, and
  // before anything was copied.
  if (const std::optional<patch_record> record = readable_record(pending, L".new")) {
    for (const fs::path& created : full_paths(game_folder, record->created_files)) {
      delete_file(created);
    }
    remove_empty_folders(full_paths(game_folder, record->created_folders));
  }
  remove_tree(pending);
}

}  // namespace

void remove_patch(const fs::path& game_folder, const stored_patch& patch) {
  const patch_record& record = patch.record;
  const fs::path removing = patch_backup_folder(game_folder, record.patch_id, L".removing");
  if (const unsigned long code = rename_when_free(patch.folder, removing)) {
    throw removal_error(
        describe_windows_error(fmt::format("renaming {} failed", path_to_utf8(patch.folder)), code), true);
  }
  if (const auto failure =
          move_files_between(game_folder, removing / removed_files_name, files_of(record), false)) {
    undo_and_throw(game_folder, removing, record, *failure);
  }
  const std::vector<fs::path> replaced = relative_paths(record.replaced_files);
  if (const auto failure =
          move_files_between(removing / originals_folder_name, game_folder, replaced, false)) {
    undo_and_throw(game_folder, removing, record, *failure);
  }
  remove_empty_folders(full_paths(game_folder, record.created_folders));
  const fs::path removed = patch_backup_folder(game_folder, record.patch_id, L".removed");
  if (const unsigned long code = rename_when_free(removing, removed)) {
    undo_and_throw(game_folder, removing, record,
                   describe_windows_error(fmt::format("renaming {} failed", path_to_utf8(removing)), code));
  }
  // Done: what cannot be deleted now, the next run deletes.
  remove_tree(removed);
  remove_folder(backup_root(game_folder));
}

void finish_earlier_patch_work(const fs::path& game_folder) {
  folder_tree tree;
  list_tree(backup_root(game_folder), tree, false);
  for (const fs::path& folder : tree.folders) {
    const std::wstring name = folder.filename().native();
    if (name.ends_with(L".new")) {
      undo_uncommitted_install(game_folder, folder);
    } else if (name.ends_with(L".removing")) {
      const patch_record record = read_record_in(folder, L".removing");
      if (const auto failure = undo_removal(game_folder, folder, record)) {
        throw rollback_failed_error(
            fmt::format("a removal of a patch that did not finish could not be undone; {}. {}", *failure,
                        files_left_in(folder)));
      }
    } else if (name.ends_with(L".removed")) {
      remove_tree(folder);
    }
  }
  finish_earlier_runs(game_folder);
}
