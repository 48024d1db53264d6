#pragma once

// Real installations to run the installer against: the installer beside its
// archives folder, with a game folder and the game's registry key; and a
// Steam client with its libraries. Everything is removed after the test.

#include "support/test_support.hpp"

#include <shlobj.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>

namespace test_support {

// The configuration of the test game: steam_id 480, registry key
// "PatchInstallerTest\Flow Game", process name "FlowTestGame.exe".
nlohmann::json test_game_config(const std::string& game_name = "Flow Game");

class installer_sandbox {
 public:
  explicit installer_sandbox(const nlohmann::json& config = test_game_config());
  std::filesystem::path root() const { return root_.path(); }  // also the working folder
  std::filesystem::path installer_folder() const { return root() / "installer"; }
  std::filesystem::path archives() const { return installer_folder() / "archives"; }
  std::filesystem::path game_folder() const { return root() / "Game Folder"; }
  const scoped_registry_key& registry() const { return key_; }
  // Makes the game folder and registers it as the game's InstallPath.
  void register_game_folder() const;
  program_run run() const;

 private:
  temp_folder root_;
  scoped_registry_key key_;
};

// A Steam client folder with steamapps\libraryfolders.vdf, and libraries.
class steam_sandbox {
 public:
  steam_sandbox();
  std::filesystem::path steam_folder() const { return root_.path() / "Steam"; }
  std::filesystem::path library(const std::wstring& name) const { return root_.path() / name; }
  // Sets SteamPath (the Steam folder unless given).
  void register_steam(const std::optional<std::wstring>& value = std::nullopt) const;
  void write_library_list(const std::string& content) const;
  // A library list shaped like the Steam client's, with "contentstatsid"
  // and libraries "0" and "1" at the given paths.
  std::string realistic_library_list(const std::filesystem::path& library0,
                                     const std::filesystem::path& library1) const;
  // Writes the app manifest of app 480 into `library`, naming `installdir`.
  void write_manifest(const std::filesystem::path& library, const std::string& installdir) const;
  // Installs app 480 into `library`: its manifest and the folder
  // steamapps\common\<installdir>, which it returns.
  std::filesystem::path install_game(const std::filesystem::path& library,
                                     const std::string& installdir) const;
  // The realistic library list with libraries "Library Zero" (no manifest)
  // and "Library One", where the game is installed when `installdir` is
  // given. Returns the two library folders.
  std::pair<std::filesystem::path, std::filesystem::path> write_two_libraries(
      const std::optional<std::string>& installdir) const;

 private:
  temp_folder root_;
  scoped_registry_key key_{L"Software\\Valve\\Steam"};
};

// A launcher's record of an installed game: a string value below
// HKLM\SOFTWARE\<vendor>\<game key>, in the 32-bit or the 64-bit registry.
// Both views' vendor keys are removed after the test.
class launcher_key_sandbox {
 public:
  launcher_key_sandbox(const std::wstring& vendor, std::wstring game_key, std::wstring value_name);
  // Sets the value in the 32-bit (KEY_WOW64_32KEY) or 64-bit view.
  void register_game(REGSAM view, const std::wstring& value) const;

 private:
  std::wstring game_key_;  // below SOFTWARE\<vendor>
  std::wstring value_name_;
  scoped_registry_key key_32_;
  scoped_registry_key key_64_;
};

// GOG's record: the value "path" of HKLM\SOFTWARE\GOG.com\Games\<id>.
struct gog_sandbox : launcher_key_sandbox {
  explicit gog_sandbox(const std::wstring& gog_id = L"1207658924")
      : launcher_key_sandbox(L"GOG.com", L"Games\\" + gog_id, L"path") {}
};

// The Epic Games launcher's data: AppDataPath (32-bit registry) and install
// manifests. The default data folder below ProgramData and the registry key
// are removed after the test.
class epic_sandbox {
 public:
  epic_sandbox();
  ~epic_sandbox();
  epic_sandbox(const epic_sandbox&) = delete;
  epic_sandbox& operator=(const epic_sandbox&) = delete;
  // <ProgramData>\Epic\EpicGamesLauncher\Data, where the launcher keeps its
  // data unless AppDataPath says otherwise.
  std::filesystem::path default_data_folder() const;
  void register_data_folder(const std::filesystem::path& folder) const;
  // Writes `content` as <data_folder>\Manifests\<name>.
  void write_manifest(const std::filesystem::path& data_folder, const std::string& name,
                      const std::string& content) const;
  // A manifest shaped like the launcher's, for `app_name` installed in
  // `folder`.
  static std::string manifest(const std::string& app_name, const std::filesystem::path& folder,
                              bool incomplete = false);

 private:
  scoped_registry_key key_;
};

// Ubisoft Connect's record: the value "InstallDir" of
// HKLM\SOFTWARE\Ubisoft\Launcher\Installs\<id>.
struct ubisoft_sandbox : launcher_key_sandbox {
  explicit ubisoft_sandbox(const std::wstring& ubisoft_id = L"635")
      : launcher_key_sandbox(L"Ubisoft", L"Launcher\\Installs\\" + ubisoft_id, L"InstallDir") {}
};

// Heroic's lists of installs in the roaming application data folder
// (%APPDATA%\heroic), removed before and after the test.
class heroic_sandbox {
 public:
  heroic_sandbox();
  ~heroic_sandbox();
  heroic_sandbox(const heroic_sandbox&) = delete;
  heroic_sandbox& operator=(const heroic_sandbox&) = delete;
  // Writes legendaryConfig\legendary\installed.json, the Epic games' list.
  void write_legendary_list(const nlohmann::json& list) const;
  // Writes gog_store\installed.json, the GOG games' list.
  void write_gog_list(const nlohmann::json& list) const;

 private:
  std::filesystem::path folder_;
};

// Installed programs' uninstall entries, as Apps and Features lists them:
// keys below SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall of HKLM (in
// the 32-bit or the 64-bit registry) or of HKCU, each removed after the test.
class uninstall_sandbox {
 public:
  // Adds the entry `name` below `root` in `view` (KEY_WOW64_32KEY,
  // KEY_WOW64_64KEY; 0 for HKCU) with its UninstallString and, unless empty,
  // its InstallLocation.
  void add(HKEY root, REGSAM view, const std::wstring& name, const std::wstring& uninstall_string,
           const std::wstring& install_location = {});

 private:
  std::list<scoped_registry_key> keys_;
};

// The Rockstar Games Launcher's record: the value "InstallFolder" of
// HKLM\SOFTWARE\Rockstar Games\<title>.
struct rockstar_sandbox : launcher_key_sandbox {
  explicit rockstar_sandbox(const std::wstring& title = L"Kinglet")
      : launcher_key_sandbox(L"Rockstar Games", title, L"InstallFolder") {}
};

// The Legacy Games launcher's records: a subkey of HKCU\Software\Legacy
// Games per game, removed after the test.
class legacy_sandbox {
 public:
  // Sets the string values `values` (name, text) of the game key `game`.
  void register_game(const std::wstring& game,
                     const std::vector<std::pair<std::wstring, std::wstring>>& values) const;

 private:
  scoped_registry_key key_{L"Software\\Legacy Games"};
};

// A folder that a launcher owns on this machine, removed before and after
// the test: <ProgramFiles>\EA Games, the EA app's default game folder, or
// <RoamingAppData>\Humble App, the Humble App's settings.
class launcher_folder_sandbox {
 public:
  launcher_folder_sandbox(const KNOWNFOLDERID& known, const std::wstring& name);
  ~launcher_folder_sandbox();
  launcher_folder_sandbox(const launcher_folder_sandbox&) = delete;
  launcher_folder_sandbox& operator=(const launcher_folder_sandbox&) = delete;
  const std::filesystem::path& folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
};

// The EA app's installer data (__Installer\installerdata.xml) of a game
// whose <contentIDs> lists `ids`, with an XML declaration of `encoding`.
std::string ea_installer_data(const std::vector<std::string>& ids, const std::string& encoding = "UTF-8");

// The Humble App's settings (config.json) with the game collection
// `collection` (the array game-collection-4).
std::string humble_settings(const nlohmann::json& collection);

// A package manifest (appxmanifest.xml) shaped like the Xbox app's games',
// with the identity name `package`.
std::string xbox_manifest(const std::string& package);

// A path as the Steam client writes it in its files: UTF-8, each backslash
// doubled.
std::string steam_text(const std::filesystem::path& path);

// The UTF-8 text `utf8` as UTF-16, converted by the standard library rather
// than by the installer's own conversion, so that expectations do not
// repeat what they check.
std::wstring widened(const std::string& utf8);

// Every file below `folder`, as generic relative paths.
std::set<std::string> files_below(const std::filesystem::path& folder);

// Everything below `folder`: each file's generic relative path with its
// bytes, each folder's with a trailing "/" and no bytes, and each entry that
// is neither with a note.
std::map<std::string, std::string> tree_below(const std::filesystem::path& folder);

// A file of the test data, copied beside the test executables.
std::string test_data(const std::string& name);

}  // namespace test_support
