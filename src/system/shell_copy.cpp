#include "system/shell_copy.hpp"

#include "system/windows_error.hpp"

#include <fmt/format.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

namespace {

// The shell takes a list of paths as one buffer: each path ends with a NUL,
// and the list with two more.
std::wstring path_list(const std::vector<std::filesystem::path>& paths) {
  std::wstring list;
  for (const std::filesystem::path& path : paths) {
    list += path.native();
    list += L'\0';
  }
  list.append(2, L'\0');
  return list;
}

// What the shell's own result codes mean: most are not Windows codes.
const char* shell_words(int result) {
  struct meaning {
    int code;
    const char* words;
  };
  static constexpr meaning meanings[] = {
      {0x71, "a file would be copied onto itself"},
      {0x72, "several files were to be copied to one"},
      {0x73, "the files are not in one folder"},
      {0x74, "a path names a drive's root"},
      {0x75, "the copy was cancelled"},
      {0x76, "a folder would be copied into itself"},
      {0x78, "a patch file could not be read"},
      {0x79, "a path is too long"},
      {0x7A, "the lists of files do not match"},
      {0x7C, "a path is not valid"},
      {0x7D, "the source and the destination are the same folder"},
      {0x7E, "a file stands where a folder must go"},
      {0x80, "a folder stands where a file must go"},
      {0x81, "a file name is too long"},
      {0x82, "the destination is a CD-ROM"},
      {0x83, "the destination is a DVD"},
      {0x84, "the destination is a writable CD"},
      {0x85, "a file is too large for the destination drive"},
      {0x86, "a patch file is on a CD-ROM that cannot be read"},
      {0x87, "a patch file is on a DVD that cannot be read"},
      {0x88, "a patch file is on a writable CD that cannot be read"},
      {0xB7, "a file name is too long for the destination"},
      {0x402, "an unknown error at the destination"},
      {ERROR_CANCELLED, "the copy stopped: the player cancelled it, or the shell could not go on"},
      {0x10000, "an error at the destination"},
  };
  for (const meaning& known : meanings) {
    if (known.code == result) {
      return known.words;
    }
  }
  return nullptr;
}

}  // namespace

result<> shell_copy(const std::vector<std::filesystem::path>& sources,
                    const std::vector<std::filesystem::path>& destinations, const std::string& what) {
  if (sources.empty()) {
    return {};  // nothing can fail (and Wine would answer 5 for two empty lists)
  }
  const std::wstring from = path_list(sources);
  const std::wstring to = path_list(destinations);
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_COPY;
  operation.pFrom = from.c_str();
  operation.pTo = to.c_str();
  operation.fFlags = FOF_MULTIDESTFILES | FOF_NOCONFIRMATION;
  const int code = ::SHFileOperationW(&operation);
  if (code == 0 && operation.fAnyOperationsAborted) {
    return failure(what + " was cancelled", {}, ERROR_CANCELLED);
  }
  if (code == 0) {
    return {};
  }
  const auto unsigned_code = static_cast<unsigned long>(code);
  if (const char* words = shell_words(code)) {
    return failure(fmt::format("{} failed (shell error {}: {})", what, code, words), {}, unsigned_code);
  }
  return windows_failure(what + " failed (shell error)", unsigned_code);
}
