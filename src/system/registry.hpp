#pragma once

#include "base/failure.hpp"

#include <windows.h>

#include <string>
#include <vector>

// Which registry a 64-bit program reads below HKLM\SOFTWARE, where Windows
// keeps 32-bit programs' keys apart (SOFTWARE\WOW6432Node in the 64-bit view).
enum class registry_view {
  native,    // the program's own view
  wow64_32,  // the 32-bit programs' keys
  wow64_64,  // the 64-bit programs' keys
};

// The REG_SZ value `value_name` of `root`\`subkey` in `view`, read into room
// for 259 characters and the terminator, without its terminator. A missing
// key or value, a value of another type, a longer text or a key that may
// not be read is a failure whose code is Windows' (an LSTATUS). Throws only
// std::bad_alloc.
[[nodiscard]] result<std::wstring> read_registry_string(HKEY root, const std::wstring& subkey,
                                                        const std::wstring& value_name, registry_view view);

// The names of the subkeys of `root`\`subkey` in `view`, in the order that
// Windows lists them. A missing key or one that may not be listed is a
// failure whose code is Windows' (an LSTATUS). Throws only std::bad_alloc.
[[nodiscard]] result<std::vector<std::wstring>> registry_subkeys(HKEY root, const std::wstring& subkey,
                                                                 registry_view view);

// The status that a registry read or listing is logged with: 0 when it gave
// a value or names, else Windows' code.
template <class read_value>
long registry_status(const result<read_value>& read) noexcept {
  return read ? 0 : static_cast<long>(read.error().code);
}
