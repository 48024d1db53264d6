#include "system/process.hpp"

#include "system/handle.hpp"

#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <array>
#include <filesystem>
#include <optional>
#include <vector>

namespace {

// All process ids; empty when the listing fails. The buffer grows until a
// listing no longer fills it, since a full buffer may have cut the list short.
std::vector<DWORD> list_process_ids() {
  std::vector<DWORD> ids(1024);
  DWORD bytes = 0;
  auto list = [&] {
    return ::K32EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes);
  };
  if (!list()) {
    return {};
  }
  while (bytes == ids.size() * sizeof(DWORD)) {
    ids.resize(ids.size() * 2);
    list();
  }
  ids.resize(bytes / sizeof(DWORD));
  return ids;
}

// The executable's full Win32 path, or nothing for a process that cannot be
// opened or has no image path that fits MAX_PATH.
std::optional<std::wstring> image_path(DWORD id) {
  const unique_handle process{::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id)};
  if (!process) {
    return std::nullopt;  // protected, another user's, or already gone
  }
  std::array<wchar_t, MAX_PATH> buffer{};
  DWORD size = static_cast<DWORD>(buffer.size());
  if (!::QueryFullProcessImageNameW(process.get(), 0, buffer.data(), &size)) {
    return std::nullopt;
  }
  return std::wstring(buffer.data(), size);
}

}  // namespace

bool is_game_running(const std::wstring& name) {
  for (const DWORD id : list_process_ids()) {
    const auto path = image_path(id);
    if (path && std::filesystem::path(*path).filename().native() == name) {
      return true;
    }
  }
  return false;
}
