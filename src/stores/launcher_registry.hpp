#pragma once

#include "base/failure.hpp"
#include "system/install_log.hpp"
#include "system/registry.hpp"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The string value `value_name` below HKEY_LOCAL_MACHINE\`subkey`, as a
// 32-bit launcher leaves it: in the 32-bit registry, else (when the key or
// value is not there) in the 64-bit one, up to its first NUL. Each attempt
// adds a line to `log`: "attempt to get <what> from the 32-bit registry
// returned status 0x00000000 and path <text>". Nothing when neither view
// gives a string. Throws only std::bad_alloc.
std::optional<std::wstring> read_launcher_value(const std::wstring& subkey, const std::wstring& value_name,
                                                std::wstring_view what, search_log& log);

// The names of the subkeys of `root`\`subkey` in `view`, in Windows' order;
// none when the key cannot be listed (a launcher that is not there). Adds a
// line to `log`: "attempt to list <what> in <shown> returned status
// 0x00000000", `shown` naming the key as the registry editor does. Throws
// only std::bad_alloc.
std::vector<std::wstring> list_launcher_keys(HKEY root, const std::wstring& subkey, registry_view view,
                                             std::wstring_view what, std::wstring_view shown,
                                             search_log& log);

// A launcher's registry text as a folder in Windows' own form, without a
// closing separator, as the player's messages name it: "C:/Games/Game/" is
// C:\Games\Game. Throws only std::bad_alloc.
std::filesystem::path folder_of_value(const std::wstring& value);

// The folder that the string value `value_name` of `root`\`subkey` names
// in `view` (as folder_of_value reads it), when it is a full path to an
// existing folder; else why not, as the log says it: "its <value_name>
// cannot be read (error 2)" or "its <value_name> <folder> is not a full path
// to an existing folder". Throws only std::bad_alloc.
[[nodiscard]] result<std::filesystem::path> registry_folder(HKEY root, const std::wstring& subkey,
                                                            const std::wstring& value_name,
                                                            registry_view view);

// Why a launcher's registry entry is passed over when its value
// `value_name` could not be read: "its <value_name> cannot be read (error
// <code>)". Throws only std::bad_alloc.
[[nodiscard]] failure unreadable_value(const std::wstring& value_name, const failure& why);
