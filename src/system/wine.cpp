#include "system/wine.hpp"

#include "system/handle.hpp"
#include "system/system_library.hpp"
#include "system/windows_error.hpp"

#include <fmt/format.h>
#include <windows.h>

namespace fs = std::filesystem;

namespace {

// Whether `path` begins with a drive letter and its root: "Z:\".
bool is_drive_path(const std::wstring& path) {
  return path.size() >= 3 && path[1] == L':' && path[2] == L'\\' &&
         ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

}  // namespace

bool running_under_wine() noexcept {
  // ntdll.dll is in every process; Windows' own has no such export.
  return function_of<void()>(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

result<fs::path> dos_path_of_unix(const std::string& unix_path) {
  const std::string what = fmt::format("Wine names no drive for {}", unix_path);
  // A relative path would be taken against the current folder.
  if (unix_path.empty() || unix_path.front() != '/') {
    return failure(fmt::format("{} is not a full Unix path", unix_path));
  }
  using converter = wchar_t* CDECL(const char*);
  auto* const convert = function_of<converter>(::GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name");
  if (!convert) {
    return last_windows_failure(what);
  }
  // Wine gives back memory of the process heap, the caller's to free.
  const unique_process_heap_string dos(convert(unix_path.c_str()));
  if (!dos) {
    return last_windows_failure(what);
  }
  // A path no drive maps comes back as \\?\unix\..., which the shell's copy
  // and the player's boxes do not take.
  if (!is_drive_path(dos.get())) {
    return failure(what);
  }
  return fs::path(dos.get());
}

std::optional<fs::path> wine_folder_variable(const wchar_t* name) {
  const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) {
    return std::nullopt;
  }
  std::wstring value(size, L'\0');
  value.resize(::GetEnvironmentVariableW(name, value.data(), size));
  // An NT path to a drive's folder is that folder behind \??\, as Wine
  // itself turns its NT paths into DOS paths.
  constexpr std::wstring_view nt_prefix = L"\\??\\";
  if (!value.starts_with(nt_prefix) || !is_drive_path(value.substr(nt_prefix.size()))) {
    return std::nullopt;
  }
  return fs::path(value.substr(nt_prefix.size()));
}
