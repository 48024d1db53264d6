#include "system/windows_error.hpp"

#include "system/text.hpp"

#include <fmt/format.h>
#include <windows.h>

#include <memory>

namespace {

struct local_freer {
  void operator()(wchar_t* text) const noexcept { ::LocalFree(text); }
};

// Windows' own words for `code`, in the user's language, without the line
// break and the full stop that end them; empty when it has none.
std::string system_words(unsigned long code) {
  wchar_t* text = nullptr;
  // FORMAT_MESSAGE_IGNORE_INSERTS: some messages hold %1 for a name that is
  // not given here.
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  const std::unique_ptr<wchar_t, local_freer> owned(text);
  if (length == 0 || !text) {
    return {};
  }
  std::wstring words(text, length);
  while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L' ')) {
    words.pop_back();
  }
  return path_to_utf8(std::filesystem::path(words));
}

}  // namespace

std::string describe_windows_error(const std::string& what, unsigned long code) {
  const std::string words = system_words(code);
  return words.empty() ? fmt::format("{} (error {})", what, code)
                       : fmt::format("{} (error {}: {})", what, code, words);
}
