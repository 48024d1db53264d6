#pragma once

#include <stdexcept>
#include <string>

// How every failure text names a Windows error code: "<what> (error <code>:
// <Windows' own words for it, in the user's language>)", for example "the
// game file C:\Games\a.dat could not be moved aside (error 32: The process
// cannot access the file because it is being used by another process.)";
// "(error <code>)" alone when Windows has no words for it. `code` is a
// Windows code (GetLastError(), an LSTATUS), never a C library errno.
// Throws only std::bad_alloc.
std::string describe_windows_error(const std::string& what, unsigned long code);

// A Windows call that failed: what() as describe_windows_error gives it, and
// the Windows code for callers that tell some codes apart.
class windows_error : public std::runtime_error {
 public:
  windows_error(const std::string& what, unsigned long code)
      : std::runtime_error(describe_windows_error(what, code)), code_(code) {}
  unsigned long code() const noexcept { return code_; }

 private:
  unsigned long code_;
};
