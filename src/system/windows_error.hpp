#pragma once

#include <string>

// How every failure text names a Windows error code: "<what> (error <code>)",
// for example "the game file C:\Games\a.dat could not be moved aside
// (error 32)". `code` is a Windows code (GetLastError(), an LSTATUS), never a
// C library errno. Throws only std::bad_alloc.
std::string describe_windows_error(const std::string& what, unsigned long code);
