#pragma once

#include "base/failure.hpp"

#include <filesystem>
#include <string>

// A launcher's files belong to every game on the machine: one that cannot
// be read, or an entry of it that gives no folder, is passed over (logged
// with the failure's what), never a failure of the run.

// The bytes of the launcher's file `file`, or why it is passed over unread:
// "cannot be read", or "larger than 1 MiB", which no launcher's record of
// its games comes near. Throws only std::bad_alloc.
[[nodiscard]] result<std::string> read_launcher_file(const std::filesystem::path& file);

// Whether nothing is at `path` (a folder on the way missing too); a path
// that Windows cannot examine is there, for reading it to tell why it
// fails. Throws only std::bad_alloc.
bool is_absent(const std::filesystem::path& path);

// Why a launcher's entry gives no folder: `reason`, as the log says it.
[[nodiscard]] failure passed_over(std::wstring_view reason);

// The folder `text` (UTF-8) names, when it is a full path to an existing
// folder; else why not: "its <member> <folder> is not a full path to an
// existing folder". Throws only std::bad_alloc.
[[nodiscard]] result<std::filesystem::path> existing_folder(const std::string& text,
                                                            std::wstring_view member);
[[nodiscard]] result<std::filesystem::path> existing_folder(const std::filesystem::path& folder,
                                                            std::wstring_view member);
