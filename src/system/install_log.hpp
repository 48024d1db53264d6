#pragma once

#include "system/error_location.hpp"
#include "system/handle.hpp"

#include <fmt/xchar.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

// The game search's diagnostic log: lines of plain 8-bit text (Latin-1:
// every code unit above U+00FF is a '?'), CR LF line ends, no byte-order
// mark. What the sources of one search write to, with the file that a
// failure came from. The file holds the lines of the latest search only:
// it is emptied when the first line is written, so a search that writes
// nothing (the game's own registry value) leaves an earlier log untouched.
// Other programs may read it while it is open. When it cannot be written,
// the lines still reach lines().
class search_log {
 public:
  // A log written to `file`, or, when `file` is empty, kept in lines() only.
  explicit search_log(error_location& location, std::filesystem::path file = "install_log.log")
      : location_(location), path_(std::move(file)) {}

  // Formats one line (the format ends it with "\n") and writes it. Throws
  // only std::bad_alloc.
  template <typename... Args>
  void write(fmt::wformat_string<Args...> format, Args&&... args) {
    write_line(fmt::format(format, std::forward<Args>(args)...));
  }
  void write_line(std::wstring line);

  // Every line written so far, as stored.
  const std::vector<std::wstring>& lines() const { return lines_; }
  error_location& location() const { return location_; }

 private:
  error_location& location_;
  std::filesystem::path path_;
  unique_hfile file_;
  bool opened_ = false;
  std::vector<std::wstring> lines_;
};
