#include "system/install_lock.hpp"

#include "system/handle.hpp"
#include "system/text.hpp"
#include "system/windows_error.hpp"

#include <fmt/format.h>
#include <fmt/xchar.h>

#include <stdexcept>
#include <string>

namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(const char* operation, const fs::path& folder, DWORD code) {
  throw std::runtime_error(describe_windows_error(
      fmt::format("{} the game folder {} failed", operation, path_to_utf8(folder)), code));
}

// What names a folder on this machine whatever path leads to it: its
// volume's serial number and its file index on that volume.
std::wstring folder_identity(const fs::path& folder) {
  const unique_hfile handle(::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) {
    fail("opening", folder, ::GetLastError());
  }
  BY_HANDLE_FILE_INFORMATION information{};
  if (!::GetFileInformationByHandle(handle.get(), &information)) {
    fail("identifying", folder, ::GetLastError());
  }
  return fmt::format(L"{:08x}-{:08x}{:08x}", information.dwVolumeSerialNumber, information.nFileIndexHigh,
                     information.nFileIndexLow);
}

}  // namespace

void install_lock_releaser::operator()(HANDLE mutex) const noexcept {
  ::ReleaseMutex(mutex);
  ::CloseHandle(mutex);
}

install_lock lock_game_folder(const fs::path& game_folder) {
  // In the global namespace, so that an installer started by another user of
  // this machine, in another session, holds the same lock.
  const std::wstring name = L"Global\\patch-installer-game-folder-" + folder_identity(game_folder);
  unique_handle mutex(::CreateMutexW(nullptr, FALSE, name.c_str()));
  if (!mutex) {
    const DWORD code = ::GetLastError();
    // Another user's installer made it, and a mutex's default security lets
    // only its maker open it.
    if (code == ERROR_ACCESS_DENIED) {
      return {};
    }
    fail("locking", game_folder, code);
  }
  switch (::WaitForSingleObject(mutex.get(), 0)) {
    case WAIT_OBJECT_0:
    // Its owner ended without giving it up (killed): what that run left in
    // the game folder is put right by the staging of this one.
    case WAIT_ABANDONED:
      return install_lock(mutex.release());
    case WAIT_TIMEOUT:
      return {};
    default:
      fail("locking", game_folder, ::GetLastError());
  }
}
