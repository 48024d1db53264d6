#pragma once

#include "system/error_location.hpp"

#include <fmt/xchar.h>

#include <fstream>
#include <optional>
#include <string>
#include <utility>

// The game search's diagnostic log, "install_log.log" in the current folder:
// plain 8-bit text in the platform's text mode (CR LF line ends), no
// byte-order mark, readable by other programs while open. When the file
// cannot be opened every line is silently dropped.

// What the sources of one game search write to: the log, and the file that a
// failure came from. The log holds the lines of the latest search only: the
// first source that asks for it empties it, so a search that writes nothing
// (the game's own registry value) leaves an earlier log untouched. Closed
// when the search ends.
class search_log {
 public:
  explicit search_log(error_location& location) : location_(location) {}

  // The log, opened (emptied) at the first call. Throws only std::bad_alloc.
  std::wostream& lines();
  error_location& location() const { return location_; }

 private:
  error_location& location_;
  std::optional<std::wofstream> file_;
};

// Narrows a line as the log stores it: code units up to U+00FF keep their
// value as one byte (Latin-1), every other code unit becomes one '?'.
std::wstring log_safe(std::wstring line);

// Formats one log line (the format string ends it with "\n") and writes it.
template <typename... Args>
void write_log_line(std::wostream& log, fmt::wformat_string<Args...> format, Args&&... args) {
  log << log_safe(fmt::format(format, std::forward<Args>(args)...));
}
