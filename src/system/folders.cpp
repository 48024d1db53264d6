#include "system/folders.hpp"

#include "system/links.hpp"

#include <windows.h>
// After windows.h, which they need.
#include <knownfolders.h>
#include <shlobj.h>

#include <array>
#include <memory>
#include <system_error>

namespace {

struct task_memory_freer {
  void operator()(wchar_t* text) const noexcept { ::CoTaskMemFree(text); }
};

std::optional<std::filesystem::path> known_folder(REFKNOWNFOLDERID id) {
  wchar_t* text = nullptr;
  const HRESULT result = ::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &text);
  // The text is the caller's to free, even when the call fails.
  const std::unique_ptr<wchar_t, task_memory_freer> owned(text);
  if (FAILED(result) || !text) {
    return std::nullopt;
  }
  return std::filesystem::path(text);
}

}  // namespace

bool is_existing_folder(const std::filesystem::path& folder) noexcept {
  std::error_code error;
  return folder.is_absolute() && std::filesystem::is_directory(folder, error);
}

std::optional<std::filesystem::path> program_data_folder() { return known_folder(FOLDERID_ProgramData); }

std::optional<std::filesystem::path> roaming_app_data_folder() {
  return known_folder(FOLDERID_RoamingAppData);
}

std::optional<std::filesystem::path> temporary_folder() {
  std::array<wchar_t, MAX_PATH + 1> buffer{};
  const DWORD length = ::GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
  if (length == 0 || length >= buffer.size()) {
    return std::nullopt;
  }
  // A short (8.3) element would not compare equal to the long name.
  std::array<wchar_t, 32768> long_form{};
  const DWORD long_length =
      ::GetLongPathNameW(buffer.data(), long_form.data(), static_cast<DWORD>(long_form.size()));
  std::filesystem::path folder(long_length > 0 && long_length < long_form.size() ? long_form.data()
                                                                                 : buffer.data());
  return folder.has_filename() ? folder : folder.parent_path();
}
