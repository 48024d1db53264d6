#pragma once

#include "system/install_log.hpp"

#include <optional>
#include <string>
#include <string_view>

// The string value `value_name` below HKEY_LOCAL_MACHINE\`subkey`, as a
// 32-bit launcher leaves it: in the 32-bit registry, else (when the key or
// value is not there) in the 64-bit one, up to its first NUL. Each attempt
// adds a line to `log`: "attempt to get <what> from the 32-bit registry
// returned status 0x00000000 and path <text>". Nothing when neither view
// gives a string. Throws only std::bad_alloc.
std::optional<std::wstring> read_launcher_value(const std::wstring& subkey, const std::wstring& value_name,
                                                std::wstring_view what, search_log& log);
