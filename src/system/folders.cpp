#include "system/folders.hpp"

#include "system/handle.hpp"

#include <windows.h>
// After windows.h, which they need.
#include <knownfolders.h>
#include <shlobj.h>

#include <string>

namespace {

std::optional<std::filesystem::path> known_folder(REFKNOWNFOLDERID id) {
  // The text is the caller's to free, even when the call fails.
  unique_cotaskmem_string text;
  if (FAILED(::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, text.put())) || !text) {
    return std::nullopt;
  }
  return std::filesystem::path(text.get());
}

// The longest path Windows has, and its terminator.
constexpr DWORD longest_path = 32768;

}  // namespace

std::filesystem::path executable_folder() {
  std::wstring path(longest_path, L'\0');
  path.resize(::GetModuleFileNameW(nullptr, path.data(), longest_path));
  return std::filesystem::path(path).parent_path();
}

std::optional<std::filesystem::path> program_data_folder() { return known_folder(FOLDERID_ProgramData); }

std::optional<std::filesystem::path> program_files_folder() { return known_folder(FOLDERID_ProgramFiles); }

std::optional<std::filesystem::path> roaming_app_data_folder() {
  return known_folder(FOLDERID_RoamingAppData);
}

std::optional<std::filesystem::path> temporary_folder() {
  std::wstring buffer(MAX_PATH + 1, L'\0');
  const DWORD length = ::GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
  if (length == 0 || length >= buffer.size()) {
    return std::nullopt;
  }
  buffer.resize(length);
  // A short (8.3) element would not compare equal to the long name.
  std::wstring long_form(longest_path, L'\0');
  const DWORD long_length = ::GetLongPathNameW(buffer.c_str(), long_form.data(), longest_path);
  long_form.resize(long_length < longest_path ? long_length : 0);
  std::filesystem::path folder(long_form.empty() ? buffer : long_form);
  return folder.has_filename() ? folder : folder.parent_path();
}
