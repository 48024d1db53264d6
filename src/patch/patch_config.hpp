#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

// Everything that ties the installer to one game, read from config.json.
// All texts are UTF-8. The last three members are optional in the file; an
// empty id or name means that store is not searched.
struct patch_config {
  std::string game_name;        // shown in every message
  std::string process_name;     // executable file name, e.g. "Game.exe"
  std::string data_directory;   // required in the file, read by no stage
  std::string registry_key;     // subkey below HKCU\Software\Mirelune
  std::string steam_id;         // Steam application id, as text
  std::string gog_id;           // GOG product id, as text
  std::string epic_app_name;    // AppName in the Epic Games launcher's manifests
  bool ask_for_folder = false;  // ask the player when no lookup finds the game
};

// Reads config.json through read_patch_config. A file that cannot be opened
// reads as empty input.
patch_config load_patch_config(const std::filesystem::path& file);

// Reads the configuration from `input`: its first JSON value must be an
// object with the five required members above as strings, and may hold
// gog_id and epic_app_name as strings and ask_for_folder as a boolean;
// anything after that value is ignored. Throws nlohmann::json::parse_error for
// empty or malformed input, nlohmann::json::type_error for a value of the
// wrong type and nlohmann::json::out_of_range for a missing member.
patch_config read_patch_config(std::istream& input);
