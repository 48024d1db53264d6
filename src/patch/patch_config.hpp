#pragma once

#include "base/failure.hpp"

#include <filesystem>
#include <iosfwd>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// A version of the game that the patch was made for: the files that tell it
// apart, each with its SHA-256.
struct game_version {
  std::string name;  // as players know it, e.g. "1.2 (Steam)"
  // Paths relative to the game folder (elements joined by '/') and their
  // SHA-256 as 64 lower-case hexadecimal digits.
  std::vector<std::pair<std::string, std::string>> files;
};

// Everything that ties the installer to one game, read from config.json.
// All texts are UTF-8. Every member after steam_id is optional in the file;
// an empty id or name means that store is not searched, and an empty value
// of the last three that the feature is not used. Each member has its row in
// config_members (config_members.hpp), which reads it.
struct patch_config {
  std::string game_name;        // shown in every message
  std::string process_name;     // executable file name, e.g. "Game.exe"
  std::string data_directory;   // required in the file, read by no stage
  std::string registry_key;     // subkey below HKCU\Software\Mirelune
  std::string steam_id;         // Steam application id, as text
  std::string gog_id;           // GOG product id, as text
  std::string epic_app_name;    // AppName in the Epic Games launcher's manifests
  std::string xbox_package;     // the Xbox app's package identity name, e.g. "Publisher.GameName"
  std::string ubisoft_id;       // Ubisoft Connect's install id, digits only
  std::string amazon_id;        // the Amazon Games app's product id, "amzn1.adg.product.<uuid>"
  std::string battlenet_uid;    // the Battle.net app's uid of the game, e.g. "s2_enus"
  std::string ea_content_id;    // one of the ids in the EA app's installerdata.xml
  std::string rockstar_title;   // the game's key below HKLM\SOFTWARE\Rockstar Games, no '\'
  std::string legacy_uuid;      // the Legacy Games launcher's InstallerUUID of the game
  std::string humble_id;        // the Humble App's machineName of the game
  bool ask_for_folder = false;  // ask the player when no lookup finds the game
  // The checksum file in archives, relative to it ('/' between elements):
  // the patch is then exactly the files it lists, which must match.
  std::string checksums;
  std::vector<game_version> game_versions;  // a folder must hold one of them
  // The game's executable relative to the game folder ('/' between
  // elements); empty: process_name directly in it.
  std::string executable_path;
  // The language of every text: empty for English, "auto" for the Windows
  // user interface's, or a tag such as "ru" or "pt-BR".
  std::string language;
  // The author's own wording of any text, by its key.
  std::map<std::string, std::string> messages;
  // Keep the game files that the patch replaces, so that the player can
  // take the patch off again by running the installer once more.
  bool keep_originals = false;
  std::string patch_name;  // the patch as the boxes name it; empty: "The patch for <game>"
};

// A member that the JSON library reads but that does not make sense, such as
// a hash that is not 64 hexadecimal digits or a path that leaves its folder.
// what() names the member.
struct config_error : installer_error {
  explicit config_error(std::string what) : installer_error(std::move(what)) {}
};

// Reads config.json through read_patch_config. A file that cannot be opened
// reads as empty input.
patch_config load_patch_config(const std::filesystem::path& file);

// Reads the configuration from `input`: its first JSON value must be an
// object with the members that config_members lists, each of its kind: the
// required ones as strings, and where present the others as strings,
// messages as an object from text key to text, ask_for_folder and
// keep_originals as booleans and game_versions as an array of objects, each
// with a string `name` and an object `files` from path to SHA-256; anything
// after that value is ignored.
// Throws nlohmann::json::parse_error for empty or malformed input,
// nlohmann::json::type_error for a value of the wrong type,
// nlohmann::json::out_of_range for a missing member, and config_error for a
// path that is not below its folder, a ubisoft_id that is not digits, a
// rockstar_title that holds a backslash, a hash
// that is not 64 hexadecimal digits, a version without files, or a text of
// `messages` whose key is unknown or whose fields do not fit.
patch_config read_patch_config(std::istream& input);
