#include "stores/launcher_file.hpp"

#include "system/file_operations.hpp"
#include "system/text.hpp"

#include <windows.h>

namespace {

constexpr std::size_t largest_file = std::size_t{1} << 20;

}  // namespace

result<std::string> read_launcher_file(const std::filesystem::path& file) {
  result<std::string> bytes = read_small_file(file, largest_file);
  if (!bytes) {
    return passed_over(bytes.error().code == ERROR_FILE_TOO_LARGE ? L"larger than 1 MiB" : L"cannot be read");
  }
  return bytes;
}

bool is_absent(const std::filesystem::path& path) {
  const result<path_kind> kind = examine_path(path);
  return kind && (*kind == path_kind::none || *kind == path_kind::no_folder);
}

failure passed_over(std::wstring_view reason) { return failure(narrow_utf16(reason)); }

result<std::filesystem::path> existing_folder(const std::string& text, std::wstring_view member) {
  return existing_folder(std::filesystem::path(widen_utf8(text)), member);
}

result<std::filesystem::path> existing_folder(const std::filesystem::path& folder, std::wstring_view member) {
  if (!is_existing_folder(folder)) {
    return passed_over(std::wstring(member) + L" " + folder.native() +
                       L" is not a full path to an existing folder");
  }
  return folder;
}
