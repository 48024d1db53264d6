#pragma once

#include <filesystem>
#include <string>

// Everything that ties the installer to one game, read from config.json.
// All texts are UTF-8.
struct patch_config {
  std::string game_name;       // shown in every message
  std::string process_name;    // executable file name, e.g. "Game.exe"
  std::string data_directory;  // required in the file, read by no stage
  std::string registry_key;    // subkey below HKCU\Software\Mirelune
  std::string steam_id;        // Steam application id, as text
};

// Reads config.json: the first JSON value of the file must be an object with
// the five members above as strings; anything after that value is ignored.
// Throws nlohmann::json::parse_error for a missing, unreadable or malformed
// file, nlohmann::json::type_error for a value of the wrong type and
// nlohmann::json::out_of_range for a missing member.
patch_config load_patch_config(const std::filesystem::path& file);
