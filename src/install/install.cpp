#include "install/install.hpp"

#include "install/backup.hpp"
#include "install/staging.hpp"
#include "system/file_operations.hpp"
#include "system/sha256.hpp"
#include "system/test_hook.hpp"

#include <thread>

namespace fs = std::filesystem;

bool is_installer_folder_name(const fs::path& name) noexcept {
  return same_file_name(name, staging_folder_name) || same_file_name(name, committed_folder_name) ||
         same_file_name(name, backup_folder_name);
}

void install_patch(const patch_config& config, const patch_files& patch, const patch_on_game& on_game,
                   const fs::path& game_folder) {
  if (!config.keep_originals && !on_game.own) {
    staged_replacement staging(game_folder, patch.destinations);
    copy_patch_files(staging, patch, game_folder);
    staging.commit();
    return;
  }
  // What the patch writes is what its files hold: known from examining the
  // game, else from the seal; else hashed while the shell copies them, on
  // the core the copy leaves idle.
  patch_hashes hashes = on_game.hashes;
  if (hashes->empty()) {
    hashes->assign(patch.hashes.begin(), patch.hashes.end());
  }
  std::jthread hashing;
  if (hashes->empty() && !patch.files.empty()) {
    hashing = std::jthread([&] { hashes = sha256_of_files(patch.files); });
  }
  staged_replacement staging(game_folder, patch.destinations);
  copy_patch_files(staging, patch, game_folder);
  if (hashing.joinable()) {
    hashing.join();
  }
  pause_for_test(L"hashed");
  commit_keeping_originals(staging, config, patch, on_game, hashes, game_folder);
}
