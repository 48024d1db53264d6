#include "install/recovery.hpp"

#include "install/backup.hpp"
#include "install/kept_originals.hpp"
#include "install/removal.hpp"
#include "install/staging.hpp"
#include "system/file_operations.hpp"

namespace fs = std::filesystem;

void finish_earlier_runs(const fs::path& game_folder) {
  for (const fs::path& folder : backup_folders(game_folder)) {
    const std::wstring name = folder.filename().native();
    if (name.ends_with(L".new")) {
      undo_uncommitted_install(game_folder, folder);
    } else if (name.ends_with(L".removing")) {
      undo_killed_removal(game_folder, folder);
    } else if (name.ends_with(L".removed")) {
      (void)remove_tree(folder);  // a finished removal's leftovers: the next run tries again
    }
  }
  finish_staging_of_earlier_runs(game_folder);
}
