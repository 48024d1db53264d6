#pragma once

#include <windows.h>

#include <string>

// Which registry a 64-bit program reads below HKLM\SOFTWARE, where Windows
// keeps 32-bit programs' keys apart (SOFTWARE\WOW6432Node in the 64-bit view).
enum class registry_view {
  native,    // the program's own view
  wow64_32,  // the 32-bit programs' keys
  wow64_64,  // the 64-bit programs' keys
};

// One read of a string value.
struct registry_string {
  long status = 0;    // ERROR_SUCCESS or the platform's error code
  std::wstring text;  // the text without its terminator; empty on failure
};

// Reads the REG_SZ value `value_name` of `root`\`subkey` in `view`, into room
// for 259 characters and the terminator. A missing key or value, a value of
// another type, a longer text or a key that may not be read gives the
// platform's error code and no text. Throws only std::bad_alloc.
registry_string read_registry_string(HKEY root, const std::wstring& subkey, const std::wstring& value_name,
                                     registry_view view);
