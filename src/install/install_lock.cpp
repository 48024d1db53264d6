#include "install/install_lock.hpp"

#include "system/file_operations.hpp"
#include "system/mutex.hpp"
#include "system/text.hpp"
#include "system/windows_error.hpp"

#include <fmt/format.h>

#include <string>

namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(const char* operation, const fs::path& folder, const failure& why) {
  throw installer_error(windows_failure(
      fmt::format("{} the game folder {} failed", operation, path_to_utf8(folder)), why.code, folder));
}

}  // namespace

std::optional<install_lock> lock_game_folder(const fs::path& game_folder) {
  // What names a folder on this machine whatever path leads to it: not its
  // path's text, but its volume and its index on it.
  const result<std::wstring> identity = file_identity(game_folder);
  if (!identity) {
    fail("opening", game_folder, identity.error());
  }
  // In the global namespace, so that an installer started by another user of
  // this machine, in another session, holds the same lock. What a killed
  // holder left in the game folder is put right by the next run's recovery.
  result<std::optional<unique_mutex_hold>> lock =
      try_take_mutex(L"Global\\patch-installer-game-folder-" + *identity);
  if (!lock) {
    fail("locking", game_folder, lock.error());
  }
  return std::move(*lock);
}
