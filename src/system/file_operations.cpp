#include "system/file_operations.hpp"

#include "system/handle.hpp"
#include "system/text.hpp"
#include "system/windows_error.hpp"

#include <fmt/format.h>
#include <windows.h>

#include <algorithm>

namespace fs = std::filesystem;

namespace {

bool is_not_found(DWORD code) { return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND; }

// Drops the read-only attribute of `path`; whether it had one.
bool clear_read_only(const fs::path& path) noexcept {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
         ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

// Runs `change` on `path`, and once more without the read-only attribute
// when Windows refused it for that attribute. 0 or the Windows code.
template <class operation>
DWORD change_despite_read_only(const fs::path& path, operation change) noexcept {
  if (change()) {
    return 0;
  }
  DWORD code = ::GetLastError();
  if (code == ERROR_ACCESS_DENIED && clear_read_only(path)) {
    code = change() ? 0 : ::GetLastError();
  }
  return code;
}

bool is_dot_entry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// Adds what `folder` holds to `tree`, depth first; 0 or the Windows code.
DWORD list_into(const fs::path& folder, folder_tree& tree, fs::path& failed, bool deep) {
  WIN32_FIND_DATAW entry{};
  // The basic information and the large fetch make a listing cheaper; the
  // short names are not needed.
  const HANDLE search = ::FindFirstFileExW((folder / L"*").c_str(), FindExInfoBasic, &entry,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) {
    failed = folder;
    return ::GetLastError();
  }
  const unique_find owned_search(search);
  do {
    if (is_dot_entry(entry.cFileName)) {
      continue;
    }
    const fs::path path = folder / entry.cFileName;
    const bool is_folder = entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    if (!is_folder) {
      tree.files.push_back(path);
      continue;
    }
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      tree.folder_links.push_back(path);
      continue;
    }
    tree.folders.push_back(path);
    if (const DWORD code = deep ? list_into(path, tree, failed, deep) : 0) {
      return code;
    }
  } while (::FindNextFileW(search, &entry));
  const DWORD code = ::GetLastError();
  if (code != ERROR_NO_MORE_FILES) {
    failed = folder;
    return code;
  }
  return 0;
}

}  // namespace

bool same_file_name(const fs::path& a, const fs::path& b) noexcept {
  return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

path_state examine_path(const fs::path& path) noexcept {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    return {attributes & FILE_ATTRIBUTE_DIRECTORY ? path_kind::folder : path_kind::file};
  }
  switch (const DWORD code = ::GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
      return {path_kind::none};
    case ERROR_PATH_NOT_FOUND:
      return {path_kind::no_folder};
    default:
      return {path_kind::unknown, code};
  }
}

std::optional<unsigned long long> file_size_of(const fs::path& file) noexcept {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::nullopt;
  }
  return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

unsigned long create_folders(const fs::path& folder, std::set<fs::path>& made) {
  if (made.count(folder) || !folder.has_relative_path()) {
    return 0;  // made before, or a drive's root
  }
  if (::CreateDirectoryW(folder.c_str(), nullptr)) {
    made.insert(folder);
    return 0;
  }
  DWORD code = ::GetLastError();
  if (code == ERROR_PATH_NOT_FOUND) {
    if (const unsigned long parent = create_folders(folder.parent_path(), made)) {
      return parent;
    }
    code = ::CreateDirectoryW(folder.c_str(), nullptr) ? 0 : ::GetLastError();
  }
  if (code == ERROR_ALREADY_EXISTS && examine_path(folder).kind == path_kind::folder) {
    code = 0;
  }
  if (code == 0) {
    made.insert(folder);
  }
  return code;
}

unsigned long move_file(const fs::path& from, const fs::path& to, bool replace) noexcept {
  const DWORD flags = replace ? MOVEFILE_REPLACE_EXISTING : 0;
  return change_despite_read_only(to, [&] { return ::MoveFileExW(from.c_str(), to.c_str(), flags); });
}

unsigned long delete_file(const fs::path& file) noexcept {
  const DWORD code = change_despite_read_only(file, [&] { return ::DeleteFileW(file.c_str()); });
  return is_not_found(code) ? 0 : code;
}

unsigned long remove_folder(const fs::path& folder) noexcept {
  return change_despite_read_only(folder, [&] { return ::RemoveDirectoryW(folder.c_str()); });
}

std::optional<std::string> list_tree(const fs::path& folder, folder_tree& tree, bool deep) {
  fs::path failed;
  const DWORD code = list_into(folder, tree, failed, deep);
  if (code == 0) {
    return std::nullopt;
  }
  if (failed == folder && is_not_found(code)) {
    return std::nullopt;  // and nothing was listed
  }
  return describe_windows_error(fmt::format("listing {} failed", path_to_utf8(failed)), code);
}

unsigned long list_folder(const fs::path& folder, folder_tree& tree) {
  fs::path failed;
  return list_into(folder, tree, failed, false);
}

std::optional<std::string> remove_tree(const fs::path& folder) {
  folder_tree tree;
  if (auto failure = list_tree(folder, tree)) {
    return failure;
  }
  if (examine_path(folder).kind != path_kind::folder) {
    return std::nullopt;  // never there
  }
  std::optional<std::string> failure;
  const auto note = [&](const char* what, const fs::path& path, DWORD code) {
    if (code && !failure) {
      failure = describe_windows_error(fmt::format("{} {} failed", what, path_to_utf8(path)), code);
    }
  };
  for (const fs::path& file : tree.files) {
    note("deleting", file, delete_file(file));
  }
  for (const fs::path& link : tree.folder_links) {
    note("deleting the link", link, remove_folder(link));
  }
  tree.folders.insert(tree.folders.begin(), folder);
  std::for_each(tree.folders.rbegin(), tree.folders.rend(),
                [&](const fs::path& below) { note("removing the folder", below, remove_folder(below)); });
  return failure;
}

file_for_reading open_for_reading(const fs::path& file) {
  // Sequential reading lets Windows read ahead.
  unique_hfile handle(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!handle) {
    throw windows_error(fmt::format("opening {} failed", path_to_utf8(file)), ::GetLastError());
  }
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(handle.get(), &size)) {
    throw windows_error(fmt::format("reading {} failed", path_to_utf8(file)), ::GetLastError());
  }
  return {std::move(handle), static_cast<unsigned long long>(size.QuadPart)};
}

std::string read_small_file(const fs::path& file, std::size_t largest) {
  const auto [handle, size] = open_for_reading(file);
  if (size > largest) {
    throw windows_error(fmt::format("{} is larger than {} bytes", path_to_utf8(file), largest),
                        ERROR_FILE_TOO_LARGE);
  }
  std::string bytes(static_cast<std::size_t>(size), '\0');
  DWORD read = 0;
  if (!bytes.empty() &&
      !::ReadFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
    throw windows_error(fmt::format("reading {} failed", path_to_utf8(file)), ::GetLastError());
  }
  bytes.resize(read);
  return bytes;
}

unsigned long write_new_file(const fs::path& file, std::string_view bytes) noexcept {
  const unique_hfile handle(
      ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) {
    return ::GetLastError();
  }
  DWORD written = 0;
  if (!::WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    return ::GetLastError();
  }
  // On the disk before anything is renamed to trust it: a power cut must
  // not leave a committed name on an empty file.
  if (written != bytes.size()) {
    return ERROR_WRITE_FAULT;
  }
  return ::FlushFileBuffers(handle.get()) ? 0 : ::GetLastError();
}
