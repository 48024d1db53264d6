// End-to-end runs of the real installer under Wine that find the game
// through GOG, the Epic Games launcher, the Xbox app, Ubisoft Connect, Heroic
// or the player, and the order of all sources.
#include "support/sandboxes.hpp"
#include "system/sha256.hpp"
#include "system/text.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <list>
#include <optional>
#include <set>
#include <string>

namespace fs = std::filesystem;
using namespace test_support;

namespace {

std::string hash_of(const std::string& bytes) { return to_hex(sha256().of(bytes)); }

// The game's files of each version the tests know.
struct game_build {
  std::string executable;
  std::string core;
};
const game_build steam_build{"the Steam build's exe", "the core data"};
const game_build gog_build{"the GOG build's exe", "the core data"};
const game_build newer_build{"version 1.3's exe", "the core data"};

// Installs `build` into `folder`, which it returns.
fs::path install_build(const fs::path& folder, const game_build& build) {
  write_file(folder / "FlowTestGame.exe", build.executable);
  write_file(folder / "Data" / "core.pak", build.core);
  return folder;
}

nlohmann::json store_config() {
  nlohmann::json config = test_game_config();
  config["gog_id"] = "1207658924";
  config["epic_app_name"] = "Kinglet";
  return config;
}

// Every source the installer asks, each with a game folder of its own, and a
// patch of one file.
struct search_world {
  installer_sandbox setup;
  steam_sandbox steam;
  gog_sandbox gog;
  epic_sandbox epic;
  temp_folder games;

  explicit search_world(const nlohmann::json& config = store_config()) : setup(config) {
    write_file(setup.archives() / "readme.txt", "new");
  }
  // A game folder that exists, named `name`.
  fs::path game(const std::wstring& name) const {
    fs::create_directories(games.path() / name);
    return games.path() / name;
  }
  void register_install_path(const fs::path& folder) const {
    setup.registry().set_string(L"InstallPath", folder.native());
  }
  fs::path install_through_steam() const {
    steam.register_steam();
    return steam.install_game(steam.write_two_libraries(std::nullopt).second, "Kinglet Steam");
  }
  void install_through_epic(const fs::path& folder) const {
    epic.write_manifest(epic.default_data_folder(), "A1B2.item", epic_sandbox::manifest("Kinglet", folder));
  }
};

}  // namespace

TEST(game_search, the_first_source_that_knows_an_existing_folder_wins) {
  struct row {
    const char* name;
    // Sets the sources up; returns the folder the patch must land in, or
    // nothing for "not found".
    std::function<std::optional<fs::path>(const search_world&)> arrange;
  };
  const row rows[] = {
      {"InstallPath before Steam, GOG and Epic",
       [](const search_world& world) {
         world.install_through_steam();
         world.gog.register_game(KEY_WOW64_32KEY, world.game(L"GOG").native());
         world.install_through_epic(world.game(L"Epic"));
         world.register_install_path(world.game(L"Registry"));
         return std::optional(world.game(L"Registry"));
       }},
      {"a gone InstallPath passes on to Steam",
       [](const search_world& world) {
         world.register_install_path(world.games.path() / "Uninstalled");
         return std::optional(world.install_through_steam());
       }},
      {"a gone InstallPath and nothing else: not found",
       [](const search_world& world) {
         world.register_install_path(world.games.path() / "Uninstalled");
         return std::optional<fs::path>();
       }},
      {"Steam before GOG and Epic",
       [](const search_world& world) {
         world.gog.register_game(KEY_WOW64_32KEY, world.game(L"GOG").native());
         world.install_through_epic(world.game(L"Epic"));
         return std::optional(world.install_through_steam());
       }},
      {"a SteamPath left by an uninstalled Steam passes on to GOG",
       [](const search_world& world) {
         world.steam.register_steam((world.games.path() / "Steam-was-here").native());
         world.gog.register_game(KEY_WOW64_32KEY, world.game(L"GOG").native());
         return std::optional(world.game(L"GOG"));
       }},
      {"GOG's 32-bit registry before its 64-bit one and Epic",
       [](const search_world& world) {
         world.gog.register_game(KEY_WOW64_64KEY, world.game(L"GOG 64").native());
         world.gog.register_game(KEY_WOW64_32KEY, world.game(L"GOG 32").native());
         world.install_through_epic(world.game(L"Epic"));
         return std::optional(world.game(L"GOG 32"));
       }},
      {"GOG's 64-bit registry alone",
       [](const search_world& world) {
         world.gog.register_game(KEY_WOW64_64KEY, world.game(L"GOG 64").native());
         return std::optional(world.game(L"GOG 64"));
       }},
      {"a relative GOG path passes on to Epic",
       [](const search_world& world) {
         world.gog.register_game(KEY_WOW64_32KEY, L"GOG Games\\Kinglet");
         world.install_through_epic(world.game(L"Epic"));
         return std::optional(world.game(L"Epic"));
       }},
      {"a missing GOG folder and nothing else: not found",
       [](const search_world& world) {
         world.gog.register_game(KEY_WOW64_32KEY, (world.games.path() / "GOG gone").native());
         return std::optional<fs::path>();
       }},
      {"Epic among other apps' manifests, one of them malformed",
       [](const search_world& world) {
         const fs::path data = world.epic.default_data_folder();
         world.epic.write_manifest(data, "0000.item", "{\"AppName\": \"Kinglet\", ");
         world.epic.write_manifest(data, "1111.item",
                                   epic_sandbox::manifest("Fortnite", world.game(L"Other")));
         world.epic.write_manifest(data, "2222.item", "[\"Kinglet\"]");
         world.epic.write_manifest(data, "3333.item", epic_sandbox::manifest("Kinglet", world.game(L"Epic")));
         return std::optional(world.game(L"Epic"));
       }},
      {"an incomplete Epic install is passed over",
       [](const search_world& world) {
         world.epic.write_manifest(world.epic.default_data_folder(), "A1B2.item",
                                   epic_sandbox::manifest("Kinglet", world.game(L"Epic"), true));
         return std::optional<fs::path>();
       }},
      {"Epic's AppDataPath before the default data folder",
       [](const search_world& world) {
         world.install_through_epic(world.game(L"Epic default"));
         const fs::path data = world.games.path() / "Launcher Data";
         world.epic.register_data_folder(data);
         world.epic.write_manifest(data, "C3D4.item", epic_sandbox::manifest("Kinglet", world.game(L"Epic")));
         return std::optional(world.game(L"Epic"));
       }},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    const search_world world;
    const std::optional<fs::path> expected = row.arrange(world);

    const program_run run = world.setup.run();

    EXPECT_EQ(run.exit_code, expected ? 0u : 2u);
    std::set<std::string> landed;
    for (const fs::path& folder : {world.games.path(), world.steam.library(L"Library One")}) {
      for (const std::string& file : files_below(folder)) {
        if (fs::path(file).filename() == "readme.txt") {
          landed.insert(path_to_utf8((folder / fs::path(file).parent_path()).lexically_normal()));
        }
      }
    }
    EXPECT_EQ(landed, expected ? std::set<std::string>{path_to_utf8(expected->lexically_normal())}
                               : std::set<std::string>{});
    EXPECT_FALSE(fs::exists(world.games.path() / "Uninstalled"));
  }
}

TEST(game_search, the_xbox_app_ubisoft_connect_and_heroic_come_after_epic_in_this_order) {
  struct launcher_world : search_world {
    ubisoft_sandbox ubisoft;
    heroic_sandbox heroic;
    std::list<scoped_wine_drive> drives;

    using search_world::search_world;
    // Maps `letter` to a folder below the games, with `list` as its
    // .GamingRoot; returns the folder.
    fs::path drive(wchar_t letter, const std::string& list) {
      const fs::path folder = game(std::wstring(L"Drive ") + letter);
      write_file(folder / ".GamingRoot", list);
      drives.emplace_back(letter, folder);
      return folder;
    }
    // An Xbox app game of `package` in `folder`, which it returns.
    static fs::path xbox_game(const fs::path& folder, const std::string& package) {
      write_file(folder / "appxmanifest.xml", xbox_manifest(package));
      return folder;
    }
    void install_through_heroic(const fs::path& folder) const {
      heroic.write_legendary_list(
          {{"Kinglet", {{"app_name", "Kinglet"}, {"install_path", path_to_utf8(folder)}}}});
    }
  };
  nlohmann::json config = store_config();
  config["xbox_package"] = "Mirelune.Kinglet";
  config["ubisoft_id"] = "635";
  struct row {
    const char* name;
    bool members = true;  // config.json names the game in every store
    std::function<std::optional<fs::path>(launcher_world&)> arrange;
    std::string last_line = {};  // how install_log.log's last line begins, when it matters
  };
  const row rows[] = {
      {"the Xbox app's game in Content, past a missing folder and a cut list, before Ubisoft and Heroic",
       true,
       [](launcher_world& world) {
         world.drive(L'w', gaming_root(1, {u"Gone"}));
         // Were the cut name read, the game below it would be found first.
         const fs::path cut = world.drive(L'x', gaming_root(2, {u"Other Games", u"XboxGames"}, true));
         world.xbox_game(cut / "XboxGames" / "Kinglet" / "Content", "Mirelune.Kinglet");
         const fs::path listed = world.drive(L'y', gaming_root(1, {u"XboxGames"}));
         write_file(listed / "XboxGames" / "Broken" / "appxmanifest.xml", "<Package><Identity Name=");
         world.xbox_game(listed / "XboxGames" / "Other", "Mirelune.Other");
         world.xbox_game(listed / "XboxGames" / "Kinglet", "Mirelune.Other");
         // Windows compares package names letter case aside.
         world.xbox_game(listed / "XboxGames" / "Kinglet" / "Content", "MIRELUNE.kinglet");
         world.ubisoft.register_game(KEY_WOW64_32KEY, world.game(L"Ubisoft").native());
         world.install_through_heroic(world.game(L"Heroic"));
         return std::optional(listed / "XboxGames" / "Kinglet" / "Content");
       },
       "Xbox app package Mirelune.Kinglet found in Y:\\XboxGames\\Kinglet\\Content\r\n"},
      {"Epic before the Xbox app", true,
       [](launcher_world& world) {
         world.xbox_game(world.drive(L'x', gaming_root(1, {u"XboxGames"})) / "XboxGames" / "Kinglet",
                         "Mirelune.Kinglet");
         world.install_through_epic(world.game(L"Epic"));
         return std::optional(world.game(L"Epic"));
       }},
      {"Ubisoft's 32-bit registry, written with '/', before its 64-bit one and Heroic", true,
       [](launcher_world& world) {
         std::wstring written = world.game(L"Ubisoft 32").generic_wstring() + L"/";
         world.ubisoft.register_game(KEY_WOW64_32KEY, written);
         world.ubisoft.register_game(KEY_WOW64_64KEY, world.game(L"Ubisoft 64").native());
         world.install_through_heroic(world.game(L"Heroic"));
         return std::optional(world.game(L"Ubisoft 32"));
       },
       "attempt to get Ubisoft Connect install folder from the 32-bit registry returned status 0x00000000 "
       "and path "},
      {"Ubisoft's 64-bit registry alone", true,
       [](launcher_world& world) {
         world.ubisoft.register_game(KEY_WOW64_64KEY, world.game(L"Ubisoft 64").generic_wstring());
         return std::optional(world.game(L"Ubisoft 64"));
       }},
      {"Heroic's Epic list, beside a broken entry", true,
       [](launcher_world& world) {
         world.heroic.write_legendary_list(
             {{"Fortnite", "not an entry"},
              {"Kinglet", {{"install_path", path_to_utf8(world.game(L"Heroic"))}}}});
         world.heroic.write_gog_list(
             {{"installed",
               {{{"appName", "1207658924"}, {"install_path", path_to_utf8(world.game(L"GOG"))}}}}});
         return std::optional(world.game(L"Heroic"));
       }},
      {"Heroic's GOG list after an Epic list without the game, past broken and gone entries", true,
       [](launcher_world& world) {
         world.heroic.write_legendary_list(
             {{"Fortnite", {{"install_path", path_to_utf8(world.game(L"Other"))}}}});
         world.heroic.write_gog_list(
             {{"installed",
               {42,
                {{"appName", 1207658924}, {"install_path", path_to_utf8(world.game(L"Other"))}},
                {{"appName", "1207658924"}, {"install_path", path_to_utf8(world.games.path() / "Gone")}},
                {{"appName", "1207658924"}, {"install_path", path_to_utf8(world.game(L"Heroic GOG"))}}}}});
         return std::optional(world.game(L"Heroic GOG"));
       }},
      {"no member for any of them: none is asked", false,
       [](launcher_world& world) {
         world.xbox_game(world.drive(L'x', gaming_root(1, {u"XboxGames"})) / "XboxGames" / "Kinglet",
                         "Mirelune.Kinglet");
         world.ubisoft.register_game(KEY_WOW64_32KEY, world.game(L"Ubisoft").native());
         world.install_through_heroic(world.game(L"Heroic"));
         world.heroic.write_gog_list(
             {{"installed",
               {{{"appName", "1207658924"}, {"install_path", path_to_utf8(world.game(L"GOG"))}}}}});
         return std::optional<fs::path>();
       },
       "attempt to get Steam install path returned status 0x00000002 and path \r\n"},  // and nothing after
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    launcher_world world(row.members ? config : test_game_config());
    const std::optional<fs::path> expected = row.arrange(world);

    const program_run run = world.setup.run();

    EXPECT_EQ(run.exit_code, expected ? 0u : 2u);
    std::set<std::string> landed;
    for (const std::string& file : files_below(world.games.path())) {
      if (fs::path(file).filename() == "readme.txt") {
        landed.insert(path_to_utf8((world.games.path() / fs::path(file).parent_path()).lexically_normal()));
      }
    }
    EXPECT_EQ(landed, expected ? std::set<std::string>{path_to_utf8(expected->lexically_normal())}
                               : std::set<std::string>{});
    const std::string log = read_file(world.setup.root() / "install_log.log");
    const std::size_t last = log.rfind('\n', log.size() < 2 ? 0 : log.size() - 2);
    EXPECT_TRUE(log.substr(last == std::string::npos ? 0 : last + 1).starts_with(row.last_line)) << log;
  }
}

TEST(game_search, only_a_folder_of_an_accepted_version_is_patched) {
  const auto version = [](const char* name, const game_build& build) {
    return nlohmann::json{
        {"name", name},
        {"files",
         {{"FlowTestGame.exe", hash_of(build.executable)}, {"Data\\core.pak", hash_of(build.core)}}}};
  };
  nlohmann::json config = store_config();
  config["game_versions"] = {version("1.2 (Steam)", steam_build), version("1.2 (GOG)", gog_build)};
  const std::wstring another = L"This patch is for Flow Game 1.2 (Steam) or 1.2 (GOG). The game in ";
  const std::wstring advice =
      L".\n\nUpdate the game to one of these versions, or get the patch that was made for your version.";
  struct row {
    const char* name;
    // Sets the sources up; returns the folder the patch must land in, or
    // nothing, and the box's text ("" for "Patch installed").
    std::function<std::pair<std::optional<fs::path>, std::wstring>(const search_world&)> arrange;
  };
  const row rows[] = {
      {"a folder of the second version",
       [](const search_world& world) {
         world.register_install_path(install_build(world.game(L"GOG build"), gog_build));
         return std::pair(std::optional(world.game(L"GOG build")), std::wstring());
       }},
      {"a folder of neither: exit code 4",
       [&](const search_world& world) {
         const fs::path folder = install_build(world.game(L"Newer"), newer_build);
         world.register_install_path(folder);
         return std::pair(std::optional<fs::path>(),
                          another + folder.native() +
                              L" is another version: FlowTestGame.exe is not the file "
                              L"of these versions" +
                              advice);
       }},
      {"a version file missing",
       [&](const search_world& world) {
         const fs::path folder = install_build(world.game(L"Broken"), steam_build);
         fs::remove(folder / "Data" / "core.pak");
         world.register_install_path(folder);
         return std::pair(
             std::optional<fs::path>(),
             another + folder.native() + L" is another version: Data\\core.pak is missing" + advice);
       }},
      {"Steam's folder of an unknown version, GOG's of an accepted one",
       [](const search_world& world) {
         install_build(world.install_through_steam(), newer_build);
         const fs::path gog = install_build(world.game(L"GOG"), gog_build);
         world.gog.register_game(KEY_WOW64_32KEY, gog.native());
         return std::pair(std::optional(gog), std::wstring());
       }},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    const search_world world(config);
    const auto [expected_folder, expected_text] = row.arrange(world);
    const auto before = tree_below(world.games.path());

    const program_run run = world.setup.run();

    if (expected_folder) {
      EXPECT_EQ(run.text, L"Patch installed. Have fun ;)");
      EXPECT_EQ(read_file(*expected_folder / "readme.txt"), "new");
      continue;
    }
    EXPECT_EQ(run.caption, L"Flow Game patch installer");
    EXPECT_EQ(run.text, expected_text) << fs::path(run.text).string();
    EXPECT_EQ(run.exit_code, 4u);
    EXPECT_EQ(tree_below(world.games.path()), before);
  }
}

TEST(game_search, each_folder_checked_for_its_version_is_logged) {
  nlohmann::json config = store_config();
  config["game_versions"] = {
      {{"name", "1.2 (GOG)"}, {"files", {{"FlowTestGame.exe", hash_of(gog_build.executable)}}}}};
  const search_world world(config);
  const fs::path steam = install_build(world.install_through_steam(), newer_build);
  const fs::path gog = install_build(world.game(L"GOG"), gog_build);
  world.gog.register_game(KEY_WOW64_32KEY, gog.native());

  EXPECT_EQ(world.setup.run().exit_code, 0u);

  const std::string log = read_file(world.setup.root() / "install_log.log");
  EXPECT_EQ(log.substr(log.find("version check of")),
            "version check of " + path_to_utf8(steam) + ": another version, FlowTestGame.exe differs\r\n" +
                "version check of " + path_to_utf8(gog) + ": 1.2 (GOG)\r\n");
}

TEST(game_search, a_patch_that_replaces_the_executable_installs_again) {
  nlohmann::json config = store_config();
  config["game_versions"] = {
      {{"name", "1.2"}, {"files", {{"FlowTestGame.exe", hash_of(steam_build.executable)}}}}};
  const search_world world(config);
  world.register_install_path(install_build(world.game(L"Game"), steam_build));
  write_file(world.setup.archives() / "FlowTestGame.exe", "the patched exe");

  EXPECT_EQ(world.setup.run().text, L"Patch installed. Have fun ;)");
  EXPECT_EQ(read_file(world.game(L"Game") / "FlowTestGame.exe"), "the patched exe");
  // Now the executable is the patch's own copy, which counts as the version's.
  EXPECT_EQ(world.setup.run().text, L"Patch installed. Have fun ;)");
}

TEST(game_search, a_malformed_steam_file_stops_the_run_even_when_gog_knows_the_game) {
  const search_world world;
  world.steam.register_steam();
  world.steam.write_library_list("\"libraryfolders\" { \"0\" { \"path\" \"C:");
  world.gog.register_game(KEY_WOW64_32KEY, world.game(L"GOG").native());

  const program_run run = world.setup.run();

  EXPECT_EQ(run.exit_code, 3u);
  EXPECT_TRUE(files_below(world.game(L"GOG")).empty());
}

TEST(game_search, gog_and_epic_add_what_they_tried_to_the_log) {
  const search_world world;
  const fs::path data = world.epic.default_data_folder();
  world.epic.write_manifest(data, "0000.item", "not json");
  world.epic.write_manifest(data, "1111.item",
                            epic_sandbox::manifest("Kinglet", world.games.path() / "Gone"));
  world.epic.write_manifest(data, "2222.item", std::string(1024 * 1024 + 1, ' '));
  world.epic.write_manifest(data, "3333.item", epic_sandbox::manifest("Kinglet", world.game(L"Epic")));
  world.epic.write_manifest(data, "notes.txt", "not a manifest");

  EXPECT_EQ(world.setup.run().exit_code, 0u);

  const std::string manifests = path_to_utf8(data / "Manifests");
  EXPECT_EQ(
      read_file(world.setup.root() / "install_log.log"),
      "attempt to get Steam install path returned status 0x00000002 and path \r\n"
      "attempt to get GOG install path from the 32-bit registry returned status 0x00000002 and path \r\n"
      "attempt to get GOG install path from the 64-bit registry returned status 0x00000002 and path \r\n"
      "attempt to get Epic Games Launcher data path returned status 0x00000002 and path \r\n"
      "reading Epic Games Launcher manifests in " +
          manifests +
          "\r\n"
          "manifest " +
          manifests +
          "\\0000.item passed over: not JSON\r\n"
          "manifest " +
          manifests + "\\1111.item passed over: its InstallLocation " +
          path_to_utf8(world.games.path() / "Gone") +
          " is not a full path to an existing folder\r\n"
          "manifest " +
          manifests +
          "\\2222.item passed over: larger than 1 MiB\r\n"
          "manifest " +
          manifests + "\\3333.item names install location " + path_to_utf8(world.game(L"Epic")) + "\r\n");
}

TEST(game_search, a_launcher_folder_that_cannot_be_listed_is_logged_with_its_windows_code) {
  const search_world world;
  // Not the shared default folder: a link that leads nowhere outlives its sandbox.
  const fs::path manifests = world.game(L"Epic data") / "Manifests";
  world.epic.register_data_folder(manifests.parent_path());
  make_unix_link(manifests, "Manifests");  // a link to itself: error 1921, not "not found"

  EXPECT_EQ(world.setup.run().exit_code, 2u);

  const std::string log = read_file(world.setup.root() / "install_log.log");
  EXPECT_NE(log.find("cannot list " + path_to_utf8(manifests) + " (error 1921)\r\n"), std::string::npos)
      << log;
}

TEST(game_search, the_player_points_at_the_folder_when_nothing_knows_it) {
  nlohmann::json config = test_game_config();
  config["ask_for_folder"] = true;
  installer_sandbox setup(config);
  write_file(setup.archives() / "readme.txt", "new");
  const temp_folder games;
  // A folder counts only with the executable directly in it: its parent,
  // which holds it one level down, is not the game's folder.
  write_file(games.path() / "Kinglet" / "FlowTestGame.exe", "");
  const std::wstring title = L"Where is Flow Game installed?";

  {
    SCOPED_TRACE("a wrong folder, then Retry and the right one");
    gui_program installer(setup.installer_folder() / "patch_installer.exe", setup.root());
    HWND picker = installer.wait_for_window(title);
    ASSERT_TRUE(picker);
    EXPECT_EQ(text_of(picker, IDOK), L"Install patch here");
    choose_folder(picker, games.path());
    const std::optional<message_box> retry = installer.wait_for_message_box();
    ASSERT_TRUE(retry);
    EXPECT_EQ(retry->caption, L"Flow Game patch installer");
    EXPECT_EQ(
        retry->text,
        L"FlowTestGame.exe is not in this folder. Please choose the folder where Flow Game is installed.");
    press(retry->window, IDRETRY);
    picker = installer.wait_for_window(title);
    ASSERT_TRUE(picker);
    choose_folder(picker, games.path() / "Kinglet");
    const std::optional<message_box> done = installer.wait_for_message_box();
    ASSERT_TRUE(done);
    EXPECT_EQ(done->text, L"Patch installed. Have fun ;)");
    press(done->window, IDOK);
    EXPECT_EQ(installer.wait_for_exit(), 0u);
    EXPECT_EQ(read_file(games.path() / "Kinglet" / "readme.txt"), "new");
    EXPECT_FALSE(fs::exists(games.path() / "readme.txt"));
  }
  {
    SCOPED_TRACE("Cancel in the picker");
    gui_program installer(setup.installer_folder() / "patch_installer.exe", setup.root());
    const HWND picker = installer.wait_for_window(title);
    ASSERT_TRUE(picker);
    press(picker, IDCANCEL);
    // A box would keep it from ending.
    EXPECT_EQ(installer.wait_for_exit(std::chrono::seconds(20)), 2u);
  }
  {
    SCOPED_TRACE("Cancel in the box after a wrong folder");
    gui_program installer(setup.installer_folder() / "patch_installer.exe", setup.root());
    const HWND picker = installer.wait_for_window(title);
    ASSERT_TRUE(picker);
    choose_folder(picker, setup.root());
    const std::optional<message_box> retry = installer.wait_for_message_box();
    ASSERT_TRUE(retry);
    press(retry->window, IDCANCEL);
    EXPECT_EQ(installer.wait_for_exit(std::chrono::seconds(20)), 2u);
  }
  {
    SCOPED_TRACE("with executable_path, the game's root and not the executable's own folder");
    config["executable_path"] = "Binaries/Win64/FlowTestGame.exe";
    write_file(setup.archives() / "config.json", config.dump());
    const fs::path root = games.path() / "Starfall";
    write_file(root / "Binaries" / "Win64" / "FlowTestGame.exe", "");
    gui_program installer(setup.installer_folder() / "patch_installer.exe", setup.root());
    HWND picker = installer.wait_for_window(title);
    ASSERT_TRUE(picker);
    choose_folder(picker, root / "Binaries");
    const std::optional<message_box> retry = installer.wait_for_message_box();
    ASSERT_TRUE(retry);
    EXPECT_EQ(retry->text,
              L"Binaries\\Win64\\FlowTestGame.exe is not in this folder. Please choose the folder "
              L"where Flow Game is installed.");
    press(retry->window, IDRETRY);
    picker = installer.wait_for_window(title);
    ASSERT_TRUE(picker);
    choose_folder(picker, root);
    const std::optional<message_box> done = installer.wait_for_message_box();
    ASSERT_TRUE(done);
    EXPECT_EQ(done->text, L"Patch installed. Have fun ;)");
    press(done->window, IDOK);
    EXPECT_EQ(installer.wait_for_exit(), 0u);
    EXPECT_EQ(read_file(root / "readme.txt"), "new");
    EXPECT_FALSE(fs::exists(root / "Binaries" / "readme.txt"));
  }
}
