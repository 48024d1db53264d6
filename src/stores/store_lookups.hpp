#pragma once

#include "patch/patch_config.hpp"
#include "system/install_log.hpp"

#include <filesystem>
#include <optional>

// Where the launchers other than Steam record the game's folder. A lookup
// looks only when config.json gives the game's id for its launcher (else it
// gives nothing and logs nothing), adds what it tried to the log, passes
// over what of the launcher's it cannot read, and gives the folder of the
// first entry that qualifies, which must be a full path to an existing
// folder; nothing when none does. Each throws only std::bad_alloc.

// One registry value below HKEY_LOCAL_MACHINE\SOFTWARE, in the 32-bit
// registry, else in the 64-bit one when the 32-bit one has no such value
// (the launchers are 32-bit programs).
// GOG Galaxy and GOG's offline installers: GOG.com\Games\<gog_id>, value
// `path`.
std::optional<std::filesystem::path> locate_gog_install(const patch_config& config, search_log& log);
// Ubisoft Connect: Ubisoft\Launcher\Installs\<ubisoft_id>, value InstallDir,
// which the launcher writes with '/' between folders and a closing one.
std::optional<std::filesystem::path> locate_ubisoft_install(const patch_config& config, search_log& log);
// The Rockstar Games Launcher: Rockstar Games\<rockstar_title>, value
// InstallFolder.
std::optional<std::filesystem::path> locate_rockstar_install(const patch_config& config, search_log& log);

// The game's uninstall entry (see uninstall_entries.hpp): the first entry
// whose UninstallString runs the launcher's uninstaller for config.json's id
// of the game (letter case aside) gives its InstallLocation.
// The Amazon Games app: UninstallString "<...>\Amazon Game Remover.exe" -m
// Game -p <amazon_id>.
std::optional<std::filesystem::path> locate_amazon_install(const patch_config& config, search_log& log);
// The Battle.net app: UninstallString "<...>\Battle.net\<...>.exe" (or a
// Battle.net.exe) ... --uid=<battlenet_uid> ...
std::optional<std::filesystem::path> locate_battlenet_install(const patch_config& config, search_log& log);

// The EA app: a game's folder holds __Installer\installerdata.xml, whose
// <contentIDs> lists the game's ids. The folders looked at are the
// InstallLocation of each uninstall entry whose UninstallString runs a
// program below an EAInstaller or an EA Desktop folder, then every folder in
// <Program Files>\EA Games, the EA app's default, each once. The first whose
// installer data lists ea_content_id (letter case aside) gives its folder.
std::optional<std::filesystem::path> locate_ea_install(const patch_config& config, search_log& log);

// The Epic Games launcher: among its install manifests (*.item in <data
// folder>\Manifests, the data folder from
// HKLM\SOFTWARE\Epic Games\EpicGamesLauncher, value AppDataPath, 32-bit
// registry, else <ProgramData>\Epic\EpicGamesLauncher\Data), the first in
// name order whose AppName is epic_app_name and whose install is complete
// gives its InstallLocation. Manifests larger than 1 MiB, not JSON objects
// or lacking those members are passed over.
std::optional<std::filesystem::path> locate_epic_install(const patch_config& config, search_log& log);

// The Xbox app: on each fixed drive, in drive letter order, each folder that
// the drive's .GamingRoot lists holds one folder per game, whose package
// manifest is <game>\Content\appxmanifest.xml or <game>\appxmanifest.xml.
// The first game whose package identity name is xbox_package gives its
// folder: the Content folder when the manifest is there.
std::optional<std::filesystem::path> locate_xbox_install(const patch_config& config, search_log& log);

// Heroic, a launcher for Epic's and GOG's games that their own launchers do
// not know of, in the roaming application data folder (%APPDATA%): for
// epic_app_name, the install_path of that app's entry in
// heroic\legendaryConfig\legendary\installed.json (an object from app name
// to entry); else, for gog_id, the install_path of the first entry of the
// array `installed` in heroic\gog_store\installed.json whose appName is
// gog_id. Under Wine, when those give none, the same lists of Heroic for
// Linux, whose install_path values are Unix paths: in ~/.config/heroic, then
// in its Flatpak's ~/.var/app/com.heroicgameslauncher.hgl/config/heroic,
// each that exists. Looks when either id is given.
std::optional<std::filesystem::path> locate_heroic_install(const patch_config& config, search_log& log);

// The Legacy Games launcher: among the subkeys of
// HKEY_CURRENT_USER\Software\Legacy Games, one per game, the first whose
// string value InstallerUUID is legacy_uuid (letter case aside) gives its
// value InstDir.
std::optional<std::filesystem::path> locate_legacy_install(const patch_config& config, search_log& log);

// The Humble App, in its settings Humble App\config.json in the roaming
// application data folder (%APPDATA%): the filePath of the first entry of
// its game collection (the array game-collection-4) whose machineName is
// humble_id and whose status is "downloaded" or "installed". Other entries,
// whatever their shape, are not looked at; a file larger than 1 MiB or not
// JSON is passed over.
std::optional<std::filesystem::path> locate_humble_install(const patch_config& config, search_log& log);
