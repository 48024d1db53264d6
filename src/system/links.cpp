#include "system/links.hpp"

#include "system/handle.hpp"

#include <windows.h>

#include <optional>

namespace {

// The entry itself, not what it stands for: the find functions do not follow
// links.
std::optional<WIN32_FIND_DATAW> entry_of(const std::filesystem::path& path) {
  WIN32_FIND_DATAW entry{};
  const HANDLE search = ::FindFirstFileW(path.c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) {
    return std::nullopt;
  }
  const unique_find owned_search(search);
  return entry;
}

std::optional<bool> link_stands_for_folder(const std::filesystem::path& path) {
  // Asking for the attributes costs a fraction of a search: only a reparse
  // point needs the search, for its tag.
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return std::nullopt;
  }
  const auto entry = entry_of(path);
  if (!entry || !(entry->dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return std::nullopt;
  }
  // dwReserved0 holds the reparse tag. Links and junctions are name
  // surrogates: they stand for another place. Wine reports its links to
  // folders with no tag at all, which Windows never does.
  if (entry->dwReserved0 != 0 && !IsReparseTagNameSurrogate(entry->dwReserved0)) {
    return std::nullopt;
  }
  return (entry->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool is_link_to_folder(const std::filesystem::path& path) noexcept {
  return link_stands_for_folder(path) == true;
}

bool is_link_to_file(const std::filesystem::path& path) noexcept {
  return link_stands_for_folder(path) == false;
}

bool is_link(const std::filesystem::path& path) noexcept { return link_stands_for_folder(path).has_value(); }
