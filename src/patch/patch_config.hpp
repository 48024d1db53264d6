#pragma once

#include <filesystem>
#include <iosfwd>
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

// Reads config.json through read_patch_config. A file that cannot be opened
// reads as empty input.
patch_config load_patch_config(const std::filesystem::path& file);

// Reads the configuration from `input`: its first JSON value must be an
// object with the five members above as strings; anything after that value is
// ignored. Throws nlohmann::json::parse_error for empty or malformed input,
// nlohmann::json::type_error for a value of the wrong type and
// nlohmann::json::out_of_range for a missing member.
patch_config read_patch_config(std::istream& input);
