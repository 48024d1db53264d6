#include "system/install_log.hpp"

#include <algorithm>

void search_log::write_line(std::wstring line) {
  // A code unit above U+00FF has no byte in the log; one '?' in its place
  // keeps the rest of the line (a library in a Cyrillic or Japanese folder).
  std::replace_if(
      line.begin(), line.end(), [](wchar_t unit) { return unit > 0xFF; }, L'?');
  if (!opened_ && !path_.empty()) {
    opened_ = true;
    file_.reset(::CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  if (file_) {
    std::string bytes;  // as the log stores the line: CR LF line ends
    for (const wchar_t unit : line) {
      if (unit == L'\n') {
        bytes += '\r';
      }
      bytes += static_cast<char>(unit);
    }
    DWORD written = 0;
    // A line that cannot be written is lost; the search goes on.
    ::WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
  lines_.push_back(std::move(line));
}
