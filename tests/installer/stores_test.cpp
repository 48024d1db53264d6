// End-to-end runs of the real installer under Wine that find the game
// through the Amazon Games app, the Battle.net app, the EA app, the Rockstar
// Games Launcher, the Legacy Games launcher or the Humble App, past their
// records of other games and records they cannot use, and the order of
// these sources among themselves and after Heroic.
#include "support/sandboxes.hpp"
#include "system/text.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace test_support;

namespace {

const std::string amazon_id = "amzn1.adg.product.3f1e2d4c-5b6a-4789-8c0d-1e2f3a4b5c6d";
const std::string legacy_uuid = "7c3a9e52-0d1b-4f6e-a8c2-94b1d5e7f036";
const std::string hklm_32 =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string hklm_64 = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string hkcu = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string legacy_key = "HKEY_CURRENT_USER\\Software\\Legacy Games";
const std::wstring blizzard_uninstaller = L"\"C:\\ProgramData\\Battle.net\\Agent\\Blizzard Uninstaller.exe\"";
const std::wstring amazon_remover =
    L"\"C:\\Users\\Player\\AppData\\Local\\Amazon Games\\App\\Amazon Game Remover.exe\" -m Game";

nlohmann::json stores_config() {
  nlohmann::json config = test_game_config();
  config["epic_app_name"] = "Kinglet";  // for Heroic, which comes before them
  config["amazon_id"] = amazon_id;
  config["battlenet_uid"] = "kinglet_enus";
  config["ea_content_id"] = "1039093";
  config["rockstar_title"] = "Kinglet";
  config["legacy_uuid"] = legacy_uuid;
  config["humble_id"] = "kinglet_windows";
  return config;
}

// The UTF-16LE bytes of the ASCII text `text`, with a byte-order mark when
// `marked`.
std::string utf16(const std::string& text, bool marked) {
  std::string bytes = marked ? "\xFF\xFE" : "";
  for (const char unit : text) {
    bytes += std::string{unit, '\0'};
  }
  return bytes;
}

std::string listed_line(const std::string& key) {
  return "attempt to list uninstall entries in " + key + " returned status 0x00000000\r\n";
}

// Every store's records, each game folder of its own, and a patch of one
// file.
struct store_world {
  installer_sandbox setup;
  heroic_sandbox heroic;
  uninstall_sandbox uninstall;
  launcher_folder_sandbox ea_games{FOLDERID_ProgramFiles, L"EA Games"};
  rockstar_sandbox rockstar;
  legacy_sandbox legacy;
  launcher_folder_sandbox humble{FOLDERID_RoamingAppData, L"Humble App"};
  temp_folder games;

  explicit store_world(const nlohmann::json& config) : setup(config) {
    write_file(setup.archives() / "readme.txt", "new");
  }
  fs::path game(const std::wstring& name) const {
    fs::create_directories(games.path() / name);
    return games.path() / name;
  }
  fs::path gone() const { return games.path() / "Gone"; }
  std::string name(const std::wstring& game_name) const { return path_to_utf8(game(game_name)); }
  // Each store's own record of the game, as the store writes it, in a
  // folder of the store's name.
  fs::path install_heroic() const {
    heroic.write_legendary_list({{"Kinglet", {{"install_path", name(L"Heroic")}}}});
    return game(L"Heroic");
  }
  fs::path install_amazon() {
    uninstall.add(HKEY_CURRENT_USER, 0, L"AmazonGames/Kinglet", amazon_remover + L" -p " + widened(amazon_id),
                  game(L"Amazon").native());
    return game(L"Amazon");
  }
  fs::path install_battlenet() {
    uninstall.add(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"Kinglet Online",
                  blizzard_uninstaller + L" --lang=enUS --uid=kinglet_enus --displayname=\"Kinglet Online\"",
                  game(L"Battle.net").native());
    return game(L"Battle.net");
  }
  fs::path install_ea() {
    write_file(game(L"EA") / "__Installer" / "installerdata.xml", ea_installer_data({"1039093", "1039094"}));
    uninstall.add(
        HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, L"Kinglet Deluxe",
        L"\"C:\\Program Files\\Common Files\\EAInstaller\\Kinglet\\Cleanup.exe\" uninstall_game -autologging",
        game(L"EA").native());
    return game(L"EA");
  }
  fs::path install_rockstar() {
    rockstar.register_game(KEY_WOW64_32KEY, game(L"Rockstar").native());
    return game(L"Rockstar");
  }
  fs::path install_legacy() {
    legacy.register_game(L"Kinglet", {{L"InstallerUUID", widened(legacy_uuid)},
                                      {L"InstDir", game(L"Legacy").native()},
                                      {L"ExePath", (game(L"Legacy") / "Kinglet.exe").native()}});
    return game(L"Legacy");
  }
  fs::path install_humble() {
    write_file(humble.folder() / "config.json", humble_settings({{{"machineName", "kinglet_windows"},
                                                                  {"gameName", "Kinglet"},
                                                                  {"status", "downloaded"},
                                                                  {"filePath", name(L"Humble")},
                                                                  {"executablePath", "Kinglet.exe"}}}));
    return game(L"Humble");
  }
  // Installs the game through the six stores from the `first`'s on (0 for
  // the Amazon Games app, in the installer's order); returns the folder of
  // the `first`'s.
  fs::path install_from(std::size_t first) {
    using install = fs::path (store_world::*)();
    constexpr install installs[] = {&store_world::install_amazon, &store_world::install_battlenet,
                                    &store_world::install_ea,     &store_world::install_rockstar,
                                    &store_world::install_legacy, &store_world::install_humble};
    const fs::path folder = (this->*installs[first])();
    for (std::size_t later = first + 1; later < std::size(installs); ++later) {
      (this->*installs[later])();
    }
    return folder;
  }
  // The folders that received the patch.
  std::set<std::string> landed() const {
    std::set<std::string> folders;
    for (const fs::path& root : {games.path(), ea_games.folder()}) {
      for (const std::string& file : files_below(root)) {
        if (fs::path(file).filename() == "readme.txt") {
          folders.insert(path_to_utf8((root / fs::path(file).parent_path()).lexically_normal()));
        }
      }
    }
    return folders;
  }
};

// Installs the game through the six stores from the `first`'s on, for a
// row whose log ends with `before`, the last line of the sources before
// it, and then `found` with the `first`'s folder.
auto from_store(std::size_t first, const std::string& before, const std::string& found) {
  return [=](store_world& world, std::vector<std::string>& log) {
    const fs::path folder = world.install_from(first);
    log = {before, found + path_to_utf8(folder) + "\r\n"};
    return std::optional(folder);
  };
}

}  // namespace

TEST(stores, each_store_finds_its_own_record_of_the_game_in_the_installers_order) {
  struct row {
    const char* name;
    // Sets the stores up; returns the folder the patch must land in, or
    // nothing for "not found", and adds what install_log.log must hold, in
    // this order, ending with the last.
    std::function<std::optional<fs::path>(store_world&, std::vector<std::string>&)> arrange;
    bool members = true;    // config.json names the game in every store
    std::string once = {};  // what the log must hold exactly once
  };
  const row rows[] = {
      {"Heroic before all six",
       [](store_world& world, std::vector<std::string>& log) {
         world.install_from(0);
         const fs::path heroic = world.install_heroic();
         log.push_back(" names install path " + path_to_utf8(heroic) + "\r\n");
         return std::optional(heroic);
       }},
      {"the Amazon Games app before the other five",
       from_store(0, listed_line(hkcu),
                  "uninstall entry " + hkcu + "\\AmazonGames/Kinglet names install location ")},
      {"the Battle.net app before the EA app, Rockstar, Legacy Games and the Humble App",
       from_store(1, "no Amazon Games uninstall entry for " + amazon_id + " found\r\n",
                  "uninstall entry " + hklm_32 + "\\Kinglet Online names install location ")},
      {"the EA app before Rockstar, Legacy Games and the Humble App",
       from_store(2, "no Battle.net uninstall entry for kinglet_enus found\r\n",
                  "EA app content 1039093 found in ")},
      {"Rockstar before Legacy Games and the Humble App",
       from_store(3, "no EA app content 1039093 found\r\n",
                  "attempt to get Rockstar Games Launcher install folder from the 32-bit registry returned "
                  "status 0x00000000 and path ")},
      {"Legacy Games before the Humble App",
       from_store(
           4, "attempt to list Legacy Games installs in " + legacy_key + " returned status 0x00000000\r\n",
           "Legacy Games install " + legacy_key + "\\Kinglet names install folder ")},
      {"the Humble App last",
       from_store(5, "no Legacy Games install for " + legacy_uuid + " found\r\n", " names install path ")},
      {"Amazon in HKCU past a gone folder, an entry without its id, another game's and another program's",
       [](store_world& world, std::vector<std::string>& log) {
         const std::wstring id = widened(amazon_id);
         world.uninstall.add(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"AmazonGames/Kinglet",
                             amazon_remover + L" -p " + id, world.gone().native());
         world.uninstall.add(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, L"AmazonGames/Broken", amazon_remover,
                             world.game(L"Other").native());
         // Another program's uninstaller, however it names the id, is not the app's.
         world.uninstall.add(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, L"Kinglet Tools",
                             L"\"C:\\Tools\\Game Remover.exe\" -p " + id, world.game(L"Other").native());
         world.uninstall.add(HKEY_CURRENT_USER, 0, L"AmazonGames/Another Game",
                             amazon_remover + L" -p amzn1.adg.product.0000", world.game(L"Other").native());
         // Letter case aside.
         world.uninstall.add(HKEY_CURRENT_USER, 0, L"AmazonGames/Kinglet",
                             amazon_remover + L" -p AMZN1.ADG.PRODUCT.3F1E2D4C-5B6A-4789-8C0D-1E2F3A4B5C6D",
                             world.game(L"Amazon").native());
         world.install_battlenet();
         log = {listed_line(hklm_32),
                "uninstall entry " + hklm_32 + "\\AmazonGames/Kinglet passed over: its InstallLocation " +
                    path_to_utf8(world.gone()) + " is not a full path to an existing folder\r\n",
                listed_line(hklm_64),
                "uninstall entry " + hklm_64 +
                    "\\AmazonGames/Broken passed over: its UninstallString names no "
                    "product\r\n",
                listed_line(hkcu),
                "uninstall entry " + hkcu +
                    "\\AmazonGames/Another Game passed over: for product "
                    "amzn1.adg.product.0000\r\n",
                "uninstall entry " + hkcu + "\\AmazonGames/Kinglet names install location " +
                    world.name(L"Amazon") + "\r\n"};
         return std::optional(world.game(L"Amazon"));
       }},
      {"Battle.net's 32-bit registry past another uid and a cut UninstallString, before its 64-bit one",
       [](store_world& world, std::vector<std::string>& log) {
         world.uninstall.add(
             HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"Another Game",
             blizzard_uninstaller + L" --lang=enUS --uid=s2_enus --displayname=\"StarCraft II\"",
             world.game(L"Other").native());
         // Its quote never ends: all of it is the program, which is given no uid.
         world.uninstall.add(
             HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"Broken Game",
             L"\"C:\\ProgramData\\Battle.net\\Agent\\Blizzard Uninstaller.exe --uid=kinglet_enus",
             world.game(L"Other").native());
         const fs::path folder = world.install_battlenet();
         world.uninstall.add(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, L"Kinglet Online",
                             blizzard_uninstaller + L" --uid=kinglet_enus",
                             world.game(L"Battle.net 64").native());
         log = {
             "no Amazon Games uninstall entry for " + amazon_id + " found\r\n", listed_line(hklm_32),
             "uninstall entry " + hklm_32 + "\\Another Game passed over: for uid s2_enus\r\n",
             "uninstall entry " + hklm_32 + "\\Broken Game passed over: its UninstallString names no uid\r\n",
             "uninstall entry " + hklm_32 + "\\Kinglet Online names install location " +
                 path_to_utf8(folder) + "\r\n"};
         return std::optional(folder);
       }},
      {"Battle.net.exe itself in the 64-bit registry",
       [](store_world& world, std::vector<std::string>& log) {
         world.uninstall.add(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, L"Kinglet",
                             L"\"D:\\Blizzard\\Battle.net.exe\" --uninstall --uid=kinglet_enus",
                             world.game(L"Battle.net 64").native());
         log = {listed_line(hklm_64), "uninstall entry " + hklm_64 + "\\Kinglet names install location " +
                                          world.name(L"Battle.net 64") + "\r\n"};
         return std::optional(world.game(L"Battle.net 64"));
       }},
      {"EA's UTF-16 installer data through an uninstall entry, past the app's own entry and another "
       "game's",
       [](store_world& world, std::vector<std::string>& log) {
         const fs::path other = world.game(L"EA Other");
         write_file(other / "__Installer" / "installerdata.xml",
                    utf16(ea_installer_data({"71234"}, "UTF-16"), false));
         world.uninstall.add(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"Another EA Game",
                             L"\"C:\\Program Files (x86)\\Common Files\\EAInstaller\\Other\\Cleanup.exe\" "
                             L"uninstall_game",
                             other.native());
         const fs::path app = world.game(L"EA Desktop");
         world.uninstall.add(
             HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, L"EA app",
             L"\"C:\\Program Files\\Electronic Arts\\EA Desktop\\EA Desktop\\EAUninstall.exe\"",
             app.native());
         const fs::path kinglet = world.game(L"EA Kinglet");
         write_file(kinglet / "__Installer" / "installerdata.xml",
                    utf16(ea_installer_data({"1039094", " 1039093 "}, "UTF-16"), true));
         world.uninstall.add(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, L"Kinglet Deluxe",
                             L"\"C:\\Program Files\\Common Files\\EAInstaller\\Kinglet\\Cleanup.exe\"",
                             kinglet.native());
         const std::string data =
             "\\__Installer\\installerdata.xml returned status 0x00000000 and content ids ";
         log = {
             "uninstall entry " + hklm_32 + "\\Another EA Game names install location " +
                 path_to_utf8(other) + "\r\n",
             "uninstall entry " + hklm_64 + "\\EA app names install location " + path_to_utf8(app) + "\r\n",
             "uninstall entry " + hklm_64 + "\\Kinglet Deluxe names install location " +
                 path_to_utf8(kinglet) + "\r\n",
             "no EA app game folder " + path_to_utf8(world.ea_games.folder()) + "\r\n",
             "installer data " + path_to_utf8(other) + data + "71234\r\n",
             "no __Installer\\installerdata.xml in " + path_to_utf8(app) + "\r\n",
             "installer data " + path_to_utf8(kinglet) + data + "1039094, 1039093\r\n",
             "EA app content 1039093 found in " + path_to_utf8(kinglet) + "\r\n"};
         return std::optional(kinglet);
       }},
      {"EA's default folder in UTF-8 with a byte-order mark, past broken installer data listed twice",
       [](store_world& world, std::vector<std::string>& log) {
         const fs::path broken = world.ea_games.folder() / "Broken Game";
         // Its id is there, but the file is no XML: an end tag that fits no element.
         write_file(broken / "__Installer" / "installerdata.xml",
                    "<?xml version=\"1.0\"?>\r\n<DiPManifest><contentIDs><contentID>1039093</contentID>"
                    "</contentID></DiPManifest>\r\n");
         world.uninstall.add(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"Broken Game",
                             L"\"C:\\Program Files (x86)\\Common Files\\EAInstaller\\Broken\\Cleanup.exe\"",
                             broken.native());
         const fs::path kinglet = world.ea_games.folder() / "Kinglet";
         write_file(kinglet / "__Installer" / "installerdata.xml",
                    "\xEF\xBB\xBF" + ea_installer_data({"1039093"}));
         world.install_rockstar();
         log = {"reading EA app game folders in " + path_to_utf8(world.ea_games.folder()) + "\r\n",
                "installer data " + path_to_utf8(broken) +
                    "\\__Installer\\installerdata.xml returned status 0xc00cee3b and content ids \r\n",
                "installer data " + path_to_utf8(kinglet) +
                    "\\__Installer\\installerdata.xml returned status 0x00000000 and content ids "
                    "1039093\r\n",
                "EA app content 1039093 found in " + path_to_utf8(kinglet) + "\r\n"};
         return std::optional(kinglet);
       },
       true, "Broken Game\\__Installer\\installerdata.xml returned status"},
      {"Rockstar's 64-bit registry alone, with a closing separator",
       [](store_world& world, std::vector<std::string>& log) {
         world.rockstar.register_game(KEY_WOW64_64KEY, world.game(L"Rockstar 64").native() + L"\\");
         log = {
             "attempt to get Rockstar Games Launcher install folder from the 32-bit registry returned "
             "status "
             "0x00000002 and path \r\n",
             "attempt to get Rockstar Games Launcher install folder from the 64-bit registry returned "
             "status "
             "0x00000000 and path " +
                 world.name(L"Rockstar 64") + "\\\r\n"};
         return std::optional(world.game(L"Rockstar 64"));
       }},
      {"a gone Rockstar folder passes on to Legacy Games, past another game's key and broken ones",
       [](store_world& world, std::vector<std::string>& log) {
         world.rockstar.register_game(KEY_WOW64_32KEY, world.gone().native());
         world.rockstar.register_game(KEY_WOW64_64KEY, world.game(L"Rockstar 64").native());
         const std::wstring uuid = widened(legacy_uuid);
         world.legacy.register_game(L"Another Game",
                                    {{L"InstallerUUID", L"0b6f3c1a-0000-4000-8000-000000000000"},
                                     {L"InstDir", world.game(L"Other").native()}});
         world.legacy.register_game(L"Broken Game", {{L"InstDir", world.game(L"Other").native()}});
         world.legacy.register_game(L"Gone Game",
                                    {{L"InstallerUUID", uuid}, {L"InstDir", world.gone().native()}});
         // Letter case aside, and written with a closing separator.
         world.legacy.register_game(L"Kinglet",
                                    {{L"InstallerUUID", widened("7C3A9E52-0D1B-4F6E-A8C2-94B1D5E7F036")},
                                     {L"InstDir", world.game(L"Legacy").native() + L"\\"}});
         const std::string key = "Legacy Games install " + legacy_key;
         log = {"Rockstar Games Launcher install folder " + path_to_utf8(world.gone()) +
                    " is not a full path to an existing folder\r\n",
                "attempt to list Legacy Games installs in " + legacy_key + " returned status 0x00000000\r\n",
                key + "\\Another Game passed over: for installer 0b6f3c1a-0000-4000-8000-000000000000\r\n",
                key + "\\Broken Game passed over: its InstallerUUID cannot be read (error 2)\r\n",
                key + "\\Gone Game passed over: its InstDir " + path_to_utf8(world.gone()) +
                    " is not a full path to an existing folder\r\n",
                key + "\\Kinglet names install folder " + world.name(L"Legacy") + "\r\n"};
         return std::optional(world.game(L"Legacy"));
       }},
      {"the Humble App past entries of other shapes, another game's, one not installed and a gone one",
       [](store_world& world, std::vector<std::string>& log) {
         const auto entry = [](const char* status, const fs::path& folder) {
           return nlohmann::json{
               {"machineName", "kinglet_windows"}, {"status", status}, {"filePath", path_to_utf8(folder)}};
         };
         write_file(world.humble.folder() / "config.json",
                    humble_settings({42,
                                     {{"machineName", 7}},
                                     {{"machineName", "other_windows"},
                                      {"status", "downloaded"},
                                      {"filePath", world.name(L"Other")}},
                                     entry("available", world.game(L"Humble available")),
                                     entry("downloaded", world.gone()),
                                     entry("installed", world.game(L"Humble"))}));
         log = {"Humble App settings " + path_to_utf8(world.humble.folder() / "config.json") +
                " names install path " + world.name(L"Humble") + "\r\n"};
         return std::optional(world.game(L"Humble"));
       }},
      {"Humble App settings that are not JSON: not found",
       [](store_world& world, std::vector<std::string>& log) {
         write_file(world.humble.folder() / "config.json", "{\"game-collection-4\": [{\"machineName\": ");
         log = {"Humble App settings " + path_to_utf8(world.humble.folder() / "config.json") +
                " passed over: not JSON\r\n"};
         return std::optional<fs::path>();
       }},
      {"a Humble game not yet downloaded: not found",
       [](store_world& world, std::vector<std::string>& log) {
         write_file(world.humble.folder() / "config.json",
                    humble_settings({{{"machineName", "kinglet_windows"},
                                      {"status", "available"},
                                      {"filePath", world.name(L"Humble")}}}));
         log = {" passed over: its entry is not installed (status available)\r\n"};
         return std::optional<fs::path>();
       }},
      {"no member for any of the six: none is asked",
       [](store_world& world, std::vector<std::string>& log) {
         world.install_from(0);
         log.push_back("attempt to get Steam install path returned status 0x00000002 and path \r\n");
         return std::optional<fs::path>();
       },
       false},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    store_world world(row.members ? stores_config() : test_game_config());
    std::vector<std::string> expected_log;
    const std::optional<fs::path> expected = row.arrange(world, expected_log);

    const program_run run = world.setup.run();

    EXPECT_EQ(run.exit_code, expected ? 0u : 2u);
    EXPECT_EQ(world.landed(), expected ? std::set<std::string>{path_to_utf8(expected->lexically_normal())}
                                       : std::set<std::string>{});
    const std::string log = read_file(world.setup.root() / "install_log.log");
    std::size_t at = 0;
    for (const std::string& piece : expected_log) {
      at = log.find(piece, at);
      ASSERT_NE(at, std::string::npos) << piece << "\nis not in order in\n" << log;
      at += piece.size();
    }
    EXPECT_EQ(at, log.size()) << log;
    if (!row.once.empty()) {
      EXPECT_EQ(log.find(row.once), log.rfind(row.once)) << log;
    }
  }
}
