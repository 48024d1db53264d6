#pragma once

#include <windows.h>

#include <filesystem>
#include <memory>
#include <type_traits>

// Gives up the lock and closes its handle. Throws nothing.
struct install_lock_releaser {
  void operator()(HANDLE mutex) const noexcept;
};

// The right to change one game folder; released when it goes out of scope,
// and by Windows when the process ends however it ends, so that a killed run
// never blocks the next one.
using install_lock = std::unique_ptr<std::remove_pointer_t<HANDLE>, install_lock_releaser>;

// Takes the right to change `game_folder`, which one installer at a time has
// on this machine, whoever runs it and by whatever path it names the folder
// (another letter case, a short name, a link). Does not wait: an empty lock
// when another installer holds it. Throws std::runtime_error naming the
// folder and the Windows error code when the folder cannot be opened or the
// lock cannot be made.
install_lock lock_game_folder(const std::filesystem::path& game_folder);
