#include "folder_links.hpp"

#include <windows.h>

#include <memory>
#include <type_traits>

namespace {

struct find_closer {
  void operator()(HANDLE search) const noexcept { ::FindClose(search); }
};
using unique_find = std::unique_ptr<std::remove_pointer_t<HANDLE>, find_closer>;

}  // namespace

bool is_link_to_folder(const std::filesystem::path& path) noexcept {
  WIN32_FIND_DATAW entry{};
  const HANDLE search = ::FindFirstFileW(path.c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) {
    return false;
  }
  const unique_find owned_search(search);
  constexpr DWORD folder_reparse_point = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  if ((entry.dwFileAttributes & folder_reparse_point) != folder_reparse_point) {
    return false;
  }
  // dwReserved0 holds the reparse tag. Links and junctions are name
  // surrogates: they stand for another place. Wine reports its links to
  // folders with no tag at all, which Windows never does.
  return entry.dwReserved0 == 0 || IsReparseTagNameSurrogate(entry.dwReserved0);
}
