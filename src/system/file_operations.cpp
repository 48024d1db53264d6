#include "system/file_operations.hpp"

#include "system/text.hpp"
#include "system/windows_error.hpp"

#include <fmt/format.h>
#include <fmt/xchar.h>
#include <windows.h>

#include <algorithm>

namespace fs = std::filesystem;

namespace {

bool is_not_found_code(DWORD code) { return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND; }

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

// Done for 0, else the failure of `what` on `object` with `code`.
[[nodiscard]] result<> done_or(DWORD code, const std::string& what, const fs::path& object) {
  if (code == 0) {
    return {};
  }
  return windows_failure(what, code, object);
}

// Opens what stands at `path` (a file, or with FILE_FLAG_BACKUP_SEMANTICS a
// folder) for `access`, letting others read, write and delete it meanwhile.
[[nodiscard]] result<unique_hfile> open_existing(const fs::path& path, DWORD access, DWORD flags) {
  unique_hfile handle(::CreateFileW(path.c_str(), access,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, flags, nullptr));
  if (!handle) {
    return last_windows_failure(fmt::format("opening {} failed", path_to_utf8(path)), path);
  }
  return handle;
}

bool is_dot_entry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// Whether a listed entry is a link: a reparse point that stands for another
// place (a name surrogate: symbolic links and junctions). Wine reports its
// links with no tag at all, which Windows never does.
bool is_link_entry(const WIN32_FIND_DATAW& entry) {
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
         (entry.dwReserved0 == 0 || IsReparseTagNameSurrogate(entry.dwReserved0));
}

// Adds what `folder` holds to `tree`, depth first.
[[nodiscard]] result<> list_into(const fs::path& folder, folder_tree& tree, depth how) {
  WIN32_FIND_DATAW entry{};
  // The basic information and the large fetch make a listing cheaper; the
  // short names are not needed.
  const unique_hfind search(::FindFirstFileExW((folder / L"*").c_str(), FindExInfoBasic, &entry,
                                               FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!search) {
    return last_windows_failure(fmt::format("listing {} failed", path_to_utf8(folder)), folder);
  }
  do {
    if (is_dot_entry(entry.cFileName)) {
      continue;
    }
    fs::path path = folder / entry.cFileName;
    const bool is_folder = entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    if (is_link_entry(entry)) {
      (is_folder ? tree.folder_links : tree.file_links).push_back(std::move(path));
    } else if (!is_folder) {
      tree.files.push_back(std::move(path));
      tree.sizes.push_back((std::uint64_t{entry.nFileSizeHigh} << 32) | entry.nFileSizeLow);
    } else {
      tree.folders.push_back(path);
      if (result<> below = how == depth::whole_tree ? list_into(path, tree, how) : result<>(); !below) {
        return below;
      }
    }
  } while (::FindNextFileW(search.get(), &entry));
  if (const DWORD code = ::GetLastError(); code != ERROR_NO_MORE_FILES) {
    return windows_failure(fmt::format("listing {} failed", path_to_utf8(folder)), code, folder);
  }
  return {};
}

}  // namespace

bool same_file_name(const fs::path& a, const fs::path& b) noexcept {
  return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool file_name_less::operator()(const fs::path& a, const fs::path& b) const noexcept {
  return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_LESS_THAN;
}

bool is_not_found(const failure& failed) noexcept {
  return failed.kind == code_kind::windows && is_not_found_code(failed.code);
}

result<path_kind> examine_path(const fs::path& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? path_kind::folder : path_kind::file;
  }
  switch (const DWORD code = ::GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
      return path_kind::none;
    case ERROR_PATH_NOT_FOUND:
      return path_kind::no_folder;
    default:
      return windows_failure(fmt::format("examining {} failed", path_to_utf8(path)), code, path);
  }
}

bool is_existing_folder(const fs::path& folder) noexcept {
  const DWORD attributes = ::GetFileAttributesW(folder.c_str());
  return folder.is_absolute() && attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

result<std::uint64_t> file_size_of(const fs::path& file) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) {
    return last_windows_failure(fmt::format("examining {} failed", path_to_utf8(file)), file);
  }
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    return windows_failure(fmt::format("{} is a folder", path_to_utf8(file)), ERROR_FILE_NOT_FOUND, file);
  }
  return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

result<std::wstring> file_identity(const fs::path& path) {
  const result<unique_hfile> handle = open_existing(path, FILE_READ_ATTRIBUTES, FILE_FLAG_BACKUP_SEMANTICS);
  if (!handle) {
    return handle.error();
  }
  BY_HANDLE_FILE_INFORMATION information{};
  if (!::GetFileInformationByHandle(handle->get(), &information)) {
    return last_windows_failure(fmt::format("identifying {} failed", path_to_utf8(path)), path);
  }
  return fmt::format(L"{:08x}-{:08x}{:08x}", information.dwVolumeSerialNumber, information.nFileIndexHigh,
                     information.nFileIndexLow);
}

result<> create_folders(const fs::path& folder, std::set<fs::path>& made) {
  if (made.count(folder) || !folder.has_relative_path()) {
    return {};  // made before, or a drive's root
  }
  if (::CreateDirectoryW(folder.c_str(), nullptr)) {
    made.insert(folder);
    return {};
  }
  DWORD code = ::GetLastError();
  if (code == ERROR_PATH_NOT_FOUND) {
    if (result<> parent = create_folders(folder.parent_path(), made); !parent) {
      return parent;
    }
    code = ::CreateDirectoryW(folder.c_str(), nullptr) ? 0 : ::GetLastError();
  }
  if (code == ERROR_ALREADY_EXISTS && is_existing_folder(folder)) {
    code = 0;
  }
  if (code == 0) {
    made.insert(folder);
  }
  return done_or(code, fmt::format("creating the folder {} failed", path_to_utf8(folder)), folder);
}

result<> move_file(const fs::path& from, const fs::path& to, bool replace) {
  const DWORD flags = replace ? MOVEFILE_REPLACE_EXISTING : 0;
  const DWORD code =
      change_despite_read_only(to, [&] { return ::MoveFileExW(from.c_str(), to.c_str(), flags); });
  return done_or(code, fmt::format("moving {} to {} failed", path_to_utf8(from), path_to_utf8(to)), from);
}

result<> rename_when_free(const fs::path& from, const fs::path& to) {
  result<> renamed = move_file(from, to, false);
  for (int attempt = 1; attempt < 20 && !renamed; ++attempt) {
    if (renamed.error().code != ERROR_ACCESS_DENIED && renamed.error().code != ERROR_SHARING_VIOLATION) {
      break;
    }
    ::Sleep(50);
    renamed = move_file(from, to, false);
  }
  return renamed;
}

result<> delete_file(const fs::path& file) {
  const DWORD code = change_despite_read_only(file, [&] { return ::DeleteFileW(file.c_str()); });
  return done_or(is_not_found_code(code) ? 0 : code, fmt::format("deleting {} failed", path_to_utf8(file)),
                 file);
}

result<> remove_folder(const fs::path& folder) {
  const DWORD code = change_despite_read_only(folder, [&] { return ::RemoveDirectoryW(folder.c_str()); });
  return done_or(code, fmt::format("removing the folder {} failed", path_to_utf8(folder)), folder);
}

result<folder_tree> list_tree(const fs::path& folder, depth how) {
  folder_tree tree;
  if (result<> listed = list_into(folder, tree, how); !listed) {
    return listed.error();
  }
  return tree;
}

result<> remove_tree(const fs::path& folder) {
  result<folder_tree> tree = list_tree(folder);
  if (!tree) {
    return is_not_found(tree.error()) && tree.error().object == folder ? result<>() : tree.error();
  }
  result<> outcome;
  const auto note = [&](result<> step) {
    if (!step && outcome) {
      outcome = std::move(step);
    }
  };
  for (const fs::path& file : tree->files) {
    note(delete_file(file));
  }
  for (const fs::path& link : tree->file_links) {
    note(delete_file(link));
  }
  for (const fs::path& link : tree->folder_links) {
    note(remove_folder(link));
  }
  tree->folders.insert(tree->folders.begin(), folder);
  std::for_each(tree->folders.rbegin(), tree->folders.rend(),
                [&](const fs::path& below) { note(remove_folder(below)); });
  return outcome;
}

result<file_for_reading> open_for_reading(const fs::path& file) {
  // Sequential reading lets Windows read ahead.
  result<unique_hfile> handle = open_existing(file, GENERIC_READ, FILE_FLAG_SEQUENTIAL_SCAN);
  if (!handle) {
    return handle.error();
  }
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(handle->get(), &size)) {
    return last_windows_failure(fmt::format("reading {} failed", path_to_utf8(file)), file);
  }
  return file_for_reading{std::move(*handle), static_cast<std::uint64_t>(size.QuadPart)};
}

result<std::string> read_small_file(const fs::path& file, std::size_t largest) {
  result<file_for_reading> opened = open_for_reading(file);
  if (!opened) {
    return opened.error();
  }
  if (opened->size > largest) {
    return windows_failure(fmt::format("{} is larger than {} bytes", path_to_utf8(file), largest),
                           ERROR_FILE_TOO_LARGE, file);
  }
  std::string bytes(static_cast<std::size_t>(opened->size), '\0');
  DWORD read = 0;
  if (!bytes.empty() &&
      !::ReadFile(opened->handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
    return last_windows_failure(fmt::format("reading {} failed", path_to_utf8(file)), file);
  }
  bytes.resize(read);
  return bytes;
}

result<> write_new_file(const fs::path& file, std::string_view bytes) {
  const auto failed = [&] {
    return last_windows_failure(fmt::format("writing {} failed", path_to_utf8(file)), file);
  };
  const unique_hfile handle(
      ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (!handle ||
      !::WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    return failed();
  }
  if (written != bytes.size()) {
    return windows_failure(fmt::format("writing {} failed", path_to_utf8(file)), ERROR_WRITE_FAULT, file);
  }
  // On the disk before anything is renamed to trust it: a power cut must
  // not leave a committed name on an empty file.
  return ::FlushFileBuffers(handle.get()) ? result<>() : failed();
}

result<> replace_file(const fs::path& file, std::string_view bytes) {
  fs::path fresh = file;
  fresh += L".new";
  (void)delete_file(fresh);  // one that a killed run left; if it stays, writing says why
  result<> replaced = write_new_file(fresh, bytes);
  if (replaced) {
    replaced = move_file(fresh, file, true);
  }
  if (!replaced) {
    (void)delete_file(fresh);  // nothing to be done about a second failure: the first is told
  }
  return replaced;
}
