#pragma once

#include "base/failure.hpp"
#include "system/install_log.hpp"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// A launcher's list of its installed games in one JSON file.

// How a list names a folder: the folder that the text of its member
// `member` names, when it is an existing one, else why not (existing_folder,
// or under Wine a reader of Unix paths).
using folder_reader = result<std::filesystem::path> (*)(const std::string& text, std::wstring_view member);

// Finds the game's folder for `id` in a list read as JSON, or says why the
// list gives none.
using list_reader = result<std::filesystem::path> (*)(const nlohmann::json& list, const std::string& id,
                                                      folder_reader read_folder);

// The folder that `find` finds for `id` in the list `file` (read with
// read_launcher_file, so at most 1 MiB). Logs one line, `label` naming the
// list: "no <label> <file>" when nothing is there, "<label> <file> names
// install path <folder>", or "<label> <file> passed over: <why>" (why "not
// JSON" when it is not). Throws only std::bad_alloc.
std::optional<std::filesystem::path> install_in_list(const std::filesystem::path& file,
                                                     std::wstring_view label, const std::string& id,
                                                     list_reader find, folder_reader read_folder,
                                                     search_log& log);

// The folder that the text member `member` of the JSON object `entry`
// names, as `read_folder` reads it (of "its <member>"); else why not: "its
// entry has no text <member>". Throws only std::bad_alloc.
[[nodiscard]] result<std::filesystem::path> folder_member(const nlohmann::json& entry, const char* member,
                                                          folder_reader read_folder);

// Gives an entry's folder, or why the entry gives none.
using entry_reader = result<std::filesystem::path> (*)(const nlohmann::json& entry,
                                                       folder_reader read_folder);

// The folder that `read` gives for the first entry of the array member
// `array` of `list` whose member `id_member` is the text `id` and that
// gives one. Other entries, whatever their shape, are not looked at. Why
// not: "no array <array>", "no entry for <id>", or what `read` says of the
// last such entry. Throws only std::bad_alloc.
[[nodiscard]] result<std::filesystem::path> entry_in_array(const nlohmann::json& list, const char* array,
                                                           const char* id_member, const std::string& id,
                                                           entry_reader read, folder_reader read_folder);
