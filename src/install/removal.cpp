#include "install/removal.hpp"

#include "install/tree_moves.hpp"
#include "system/file_operations.hpp"
#include "system/text.hpp"
#include "system/windows_error.hpp"

#include <fmt/format.h>

namespace fs = std::filesystem;

namespace {

// Below a removal's folder, beside the originals: the patch's files, moved
// out of the game so that the removal can be undone.
constexpr wchar_t removed_files_name[] = L"patch";

[[nodiscard]] failure renaming_failed(const fs::path& folder, const failure& why) {
  return windows_failure(fmt::format("renaming {} failed", path_to_utf8(folder)), why.code, folder);
}

// Puts the patch back on as it was before the removal that `removing` (the
// removal's folder) records, from whatever point it stopped at, and gives
// the folder its id's name again.
[[nodiscard]] result<> undo_removal(const fs::path& game_folder, const fs::path& removing,
                                    const patch_record& record) {
  const fs::path originals = removing / originals_folder_name;
  const fs::path patch_files = removing / removed_files_name;
  // An original that is back in the game goes back to the backup first.
  std::vector<fs::path> back_in_game;
  for (const fs::path& relative : from_record_paths(record.replaced_files)) {
    if (examine_path(originals / relative).value_or(path_kind::none) != path_kind::file &&
        examine_path(game_folder / relative).value_or(path_kind::none) == path_kind::file) {
      back_in_game.push_back(relative);
    }
  }
  if (result<> moved = move_files_between(game_folder, originals, back_in_game, false); !moved) {
    return moved;
  }
  const result<std::vector<fs::path>> removed = files_below(patch_files);
  if (!removed) {
    return failure(
        fmt::format("{}. {}", removed.error().what, files_left_in(patch_files, "The game's original files")));
  }
  if (result<> moved = move_files_between(patch_files, game_folder, *removed, false); !moved) {
    return moved;
  }
  remove_empty_tree(patch_files);
  if (const result<> renamed = rename_when_free(removing, patch_backup_folder(game_folder, record.patch_id));
      !renamed) {
    return failure(describe_windows_error(fmt::format("renaming {} back failed", path_to_utf8(removing)),
                                          renamed.error().code));
  }
  return {};
}

[[noreturn]] void undo_and_throw(const fs::path& game_folder, const fs::path& removing,
                                 const patch_record& record, const std::string& reason) {
  if (const result<> undone = undo_removal(game_folder, removing, record); !undone) {
    throw installer_error(
        failure(fmt::format("{}; undoing it, {}. {}", reason, undone.error().what, files_left_in(removing))),
        aftermath::removal_left);
  }
  throw installer_error(failure(reason), aftermath::removal_undone);
}

}  // namespace

void remove_patch(const fs::path& game_folder, const stored_patch& patch) {
  const patch_record& record = patch.record;
  const fs::path removing = patch_backup_folder(game_folder, record.patch_id, L".removing");
  const std::vector<fs::path> replaced = from_record_paths(record.replaced_files);
  std::vector<fs::path> files = from_record_paths(record.created_files);
  files.insert(files.end(), replaced.begin(), replaced.end());
  if (const result<> renamed = rename_when_free(patch.folder, removing); !renamed) {
    throw installer_error(renaming_failed(patch.folder, renamed.error()), aftermath::removal_undone);
  }
  if (const result<> moved = move_files_between(game_folder, removing / removed_files_name, files, false);
      !moved) {
    undo_and_throw(game_folder, removing, record, moved.error().what);
  }
  if (const result<> moved =
          move_files_between(removing / originals_folder_name, game_folder, replaced, false);
      !moved) {
    undo_and_throw(game_folder, removing, record, moved.error().what);
  }
  remove_empty_folders(from_record_paths(record.created_folders, game_folder));
  const fs::path removed = patch_backup_folder(game_folder, record.patch_id, L".removed");
  if (const result<> renamed = rename_when_free(removing, removed); !renamed) {
    undo_and_throw(game_folder, removing, record, renaming_failed(removing, renamed.error()).what);
  }
  // Done: what cannot be deleted now, the next run deletes.
  (void)remove_tree(removed);
  (void)remove_folder(backup_root(game_folder));  // stays while other patches are kept in it
}

void undo_killed_removal(const fs::path& game_folder, const fs::path& removing) {
  const patch_record record = read_record_in(removing, L".removing");
  if (const result<> undone = undo_removal(game_folder, removing, record); !undone) {
    throw installer_error(
        failure(fmt::format("a removal of a patch that did not finish could not be undone; {}. {}",
                            undone.error().what, files_left_in(removing))),
        aftermath::install_left);
  }
}
