#include "system/folders.hpp"

#include "system/links.hpp"

#include <windows.h>
// After windows.h, which they need.
#include <knownfolders.h>
#include <shlobj.h>

#include <memory>
#include <system_error>

namespace {

struct task_memory_freer {
  void operator()(wchar_t* text) const noexcept { ::CoTaskMemFree(text); }
};

}  // namespace

bool is_existing_folder(const std::filesystem::path& folder) noexcept {
  std::error_code error;
  return folder.is_absolute() && std::filesystem::is_directory(folder, error);
}

std::optional<std::filesystem::path> program_data_folder() {
  wchar_t* text = nullptr;
  const HRESULT result = ::SHGetKnownFolderPath(FOLDERID_ProgramData, KF_FLAG_DEFAULT, nullptr, &text);
  // The text is the caller's to free, even when the call fails.
  const std::unique_ptr<wchar_t, task_memory_freer> owned(text);
  if (FAILED(result) || !text) {
    return std::nullopt;
  }
  return std::filesystem::path(text);
}
