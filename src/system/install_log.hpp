#pragma once

#include <fmt/xchar.h>

#include <fstream>
#include <string>
#include <utility>

// The game search's diagnostic log, "install_log.log" in the current folder:
// plain 8-bit text in the platform's text mode (CR LF line ends), no
// byte-order mark, readable by other programs while open. When the file
// cannot be opened the stream is in the fail state and every line is
// silently dropped. Neither function throws.

// Opens the log anew (truncated), as the Steam search does.
std::wofstream open_install_log();

// Opens the log to add lines after those already there, as the searches
// after Steam's do.
std::wofstream continue_install_log();

// Narrows a line as the log stores it: code units up to U+00FF keep their
// value as one byte (Latin-1), every other code unit becomes one '?'.
std::wstring log_safe(std::wstring line);

// Formats one log line (the format string ends it with "\n") and writes it.
template <typename... Args>
void write_log_line(std::wostream& log, fmt::wformat_string<Args...> format, Args&&... args) {
  log << log_safe(fmt::format(format, std::forward<Args>(args)...));
}
