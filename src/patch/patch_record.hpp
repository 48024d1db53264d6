#pragma once

#include "base/failure.hpp"

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// What an install that kept the game's originals did to the game folder,
// as the installer stores it beside those originals: enough to take the
// patch off again, and to tell whether the game still holds what it wrote.
// Paths are relative to the game folder, UTF-8, elements joined by '/'.
struct patch_record {
  std::string patch_id;    // as the backup folder is named
  std::string patch_name;  // config.json's patch_name, empty when it had none
  std::string game_name;
  std::vector<std::string> created_files;    // not there before the patch
  std::vector<std::string> replaced_files;   // whose originals the backup holds
  std::vector<std::string> created_folders;  // made for the patch's files
  // Each file the patch wrote (created and replaced) with its SHA-256 in
  // lower-case hexadecimal.
  std::map<std::string, std::string> written;

  // Whether every field is the same. Throws nothing.
  bool operator==(const patch_record&) const = default;
};

// A stored record that cannot be trusted: not JSON of the shape below, or a
// path that would reach outside the game folder. what() says which.
struct record_error : installer_error {
  explicit record_error(std::string what) : installer_error(std::move(what)) {}
};

// The record as a JSON object, the bytes the installer stores. Throws
// nlohmann::json::type_error for a text that is not UTF-8.
std::string record_json(const patch_record& record);

// Reads what record_json wrote. Every path must be relative and stay below
// the game folder (no "..", drive or stream), '/' between its elements, none
// of which may be a device's name (as "nul.txt"), end in a dot or space,
// which Windows drops (as "a.dat."), or hold a character that Windows does
// not allow in a name (as NUL or '*'): those name other files than they say.
// Every file written must be one the record created or replaced, with a
// SHA-256: the removal deletes and puts back exactly these files. Throws
// record_error.
patch_record read_patch_record(std::string_view json);

// What a run is about to create in a game folder, stored before it changes
// anything there, so that the next run can take exactly that away when this
// one was killed. Paths as in a record.
struct created_paths {
  std::vector<std::string> files;    // not there before the run
  std::vector<std::string> folders;  // made for them

  // Whether every field is the same. Throws nothing.
  bool operator==(const created_paths&) const = default;
};

// The list as a JSON object, the bytes the installer stores. Throws
// nlohmann::json::type_error for a text that is not UTF-8.
std::string created_paths_json(const created_paths& created);

// Reads what created_paths_json wrote, with a record's rules for paths.
// Throws record_error, also for a list cut short.
created_paths read_created_paths(std::string_view json);
