#include "system/command_line.hpp"

#include "system/handle.hpp"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

std::vector<std::wstring> split_command_line(std::wstring_view text) {
  // Given nothing to split, CommandLineToArgvW gives this program's own
  // path instead.
  if (text.find_first_not_of(L" \t") == std::wstring_view::npos) {
    return {};
  }
  const std::wstring terminated(text);
  int count = 0;
  const unique_hlocal_strings words{::CommandLineToArgvW(terminated.c_str(), &count)};
  if (!words) {
    return {};
  }
  return std::vector<std::wstring>(words.get(), words.get() + count);
}
