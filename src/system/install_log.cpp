#include "system/install_log.hpp"

#include <algorithm>

std::wostream& search_log::lines() {
  if (!file_) {
    file_.emplace("install_log.log", std::ios::out | std::ios::trunc);
  }
  return *file_;
}

std::wstring log_safe(std::wstring line) {
  // The stream narrows through the classic locale, which has no byte for a
  // code unit above U+00FF: it would put the stream in the bad state and lose
  // this line and every later one (a library in a Cyrillic or Japanese
  // folder). One '?' in its place keeps the rest of the log.
  std::replace_if(
      line.begin(), line.end(), [](wchar_t unit) { return unit > 0xFF; }, L'?');
  return line;
}
