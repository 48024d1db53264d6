// End-to-end runs of the real installer under Wine: its message box, exit
// code and the files that arrive in the game folder.
#include "support/sandboxes.hpp"

#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace fs = std::filesystem;
using namespace test_support;

namespace {

const std::wstring unexpected_caption = L"Patch installer";

}  // namespace

TEST(flow, installs_nested_files_and_replaces_existing_ones) {
  installer_sandbox setup;
  setup.register_game_folder();
  write_file(setup.archives() / "readme.txt", "new");
  write_file(setup.archives() / "data" / "maps" / "level 1.map", "map");
  write_file(setup.archives() / "data" / "config.json", "{}");
  // Another name, so it is copied; in a folder of its own, because the file
  // system ignores case.
  write_file(setup.archives() / "other" / "Config.json", "{}");

  write_file(setup.archives() / "data" / "config.json.bak", "{}");
  fs::create_directories(setup.archives() / "empty");
  write_file(setup.game_folder() / "readme.txt", "old");
  write_file(setup.game_folder() / "game.dat", "untouched");

  const program_run run = setup.run();

  EXPECT_TRUE(run.box_shown);
  EXPECT_EQ(run.caption, L"Flow Game patch installer");
  EXPECT_EQ(run.text, L"Patch installed. Have fun ;)");
  EXPECT_EQ(run.exit_code, 0u);
  const std::set<std::string> expected{"readme.txt", "game.dat", "data/maps/level 1.map", "other/Config.json",
                                       "data/config.json.bak"};
  EXPECT_EQ(files_below(setup.game_folder()), expected);
  EXPECT_EQ(read_file(setup.game_folder() / "readme.txt"), "new");
  EXPECT_EQ(read_file(setup.game_folder() / "game.dat"), "untouched");
  EXPECT_FALSE(fs::exists(setup.game_folder() / ".patch-rollback"));
}

TEST(flow, refuses_while_the_game_runs_and_touches_nothing) {
  installer_sandbox setup;
  setup.register_game_folder();
  write_file(setup.archives() / "readme.txt", "new");
  const stand_in_process game(L"FlowTestGame.exe");

  const program_run run = setup.run();

  EXPECT_EQ(run.caption, L"Flow Game patch installer");
  EXPECT_EQ(run.text, L"Please close Flow Game before installing the patch.");
  EXPECT_EQ(run.exit_code, 1u);
  EXPECT_TRUE(files_below(setup.game_folder()).empty());
}

TEST(flow, reports_a_missing_game_under_the_default_title) {
  installer_sandbox setup;
  write_file(setup.archives() / "readme.txt", "new");

  const program_run run = setup.run();

  EXPECT_EQ(run.caption, L"Error");  // the system's title for a box without one
  EXPECT_EQ(run.text, L"This patch requires Flow Game. Please install it first.");
  EXPECT_EQ(run.exit_code, 2u);
  EXPECT_FALSE(fs::exists(setup.game_folder()));
  // No Steam client either: its search leaves exactly one line.
  EXPECT_EQ(read_file(setup.root() / "install_log.log"),
            "attempt to get Steam install path returned status 0x00000002 and path \r\n");
}

TEST(flow, game_name_is_shown_literally_in_every_message) {
  for (const std::string name : {"Ærø Saga \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80", "Braces {} and {0}"}) {
    SCOPED_TRACE(name);
    const std::wstring wide = widened(name);
    {
      installer_sandbox setup(test_game_config(name));
      EXPECT_EQ(setup.run().text, L"This patch requires " + wide + L". Please install it first.");
      setup.register_game_folder();
      const program_run installed = setup.run();
      EXPECT_EQ(installed.caption, wide + L" patch installer");
      EXPECT_EQ(installed.exit_code, 0u);
      const stand_in_process game(L"FlowTestGame.exe");
      const program_run refused = setup.run();
      EXPECT_EQ(refused.caption, wide + L" patch installer");
      EXPECT_EQ(refused.text, L"Please close " + wide + L" before installing the patch.");
    }
  }
}

TEST(flow, broken_configuration_stops_the_run_even_while_the_game_runs) {
  installer_sandbox setup;
  setup.register_game_folder();
  write_file(setup.archives() / "config.json", R"({"game_name": "Flow Game" // no comments in JSON })");
  write_file(setup.archives() / "readme.txt", "new");
  const stand_in_process game(L"FlowTestGame.exe");

  const program_run run = setup.run();

  EXPECT_EQ(run.caption, unexpected_caption);
  EXPECT_EQ(run.text.rfind(L"The patch was not installed because of an unexpected error:\n\n"
                           L"archives\\config.json: [json.exception.parse_error.101]",
                           0),
            0u)
      << fs::path(run.text).string();
  EXPECT_EQ(run.exit_code, 3u);
  EXPECT_TRUE(files_below(setup.game_folder()).empty());
}

TEST(flow, missing_member_is_a_configuration_error) {
  installer_sandbox setup;
  setup.register_game_folder();
  nlohmann::json config = test_game_config();
  config.erase("steam_id");
  write_file(setup.archives() / "config.json", config.dump());

  const program_run run = setup.run();

  EXPECT_EQ(run.caption, unexpected_caption);
  EXPECT_NE(run.text.find(L"[json.exception.out_of_range.403] key 'steam_id' not found"), std::wstring::npos);
  EXPECT_EQ(run.exit_code, 3u);
}

TEST(flow, install_path_value_decides_the_game_folder) {
  // An empty file list installs nothing: the exit code alone shows whether
  // the value was used.
  const temp_folder long_parent;
  fs::path long_folder = long_parent.path();
  while (long_folder.native().size() < 259) {
    const std::size_t left = 259 - long_folder.native().size() - 1;
    long_folder /= std::wstring(std::min<std::size_t>(left, 100), L'a');
  }
  fs::create_directories(long_folder);
  struct row {
    const char* name;
    std::optional<std::wstring> text;  // REG_SZ, or a REG_DWORD when absent
    DWORD expected_exit_code;
  };
  const row rows[] = {
      {"259 characters are used", long_folder.native(), 0},
      {"260 characters do not fit", long_folder.native() + L"b", 2},
      {"REG_DWORD is not a folder", std::nullopt, 2},
      {"empty text is not a folder", L"", 2},
      {"a relative folder is not the game folder", L"Game", 2},
      {"a drive alone is not the game folder", L"D:", 2},
      {"a folder without a drive is not the game folder", L"\\Games\\Game", 2},
      {"a folder that is gone is not the game folder", (long_parent.path() / "Uninstalled Game").native(), 2},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    installer_sandbox setup;
    ASSERT_EQ(long_folder.native().size(), 259u);
    if (row.text) {
      setup.registry().set_string(L"InstallPath", *row.text);
    } else {
      setup.registry().set_dword(L"InstallPath", 1);
    }
    EXPECT_EQ(setup.run().exit_code, row.expected_exit_code);
    // Nothing may land beside the installer, where a folder that is not a
    // full path would lead, nor where a gone folder was.
    EXPECT_EQ(files_below(setup.installer_folder()),
              (std::set<std::string>{"patch_installer.exe", "archives/config.json"}));
    EXPECT_FALSE(fs::exists(long_parent.path() / "Uninstalled Game"));
  }
}

TEST(flow, game_installed_through_steam_receives_the_patch) {
  installer_sandbox setup;
  write_file(setup.archives() / "readme.txt", "new");
  write_file(setup.archives() / "data" / "level.map", "map");
  const steam_sandbox steam;
  steam.register_steam();
  const auto [zero, one] = steam.write_two_libraries("Spacewar Game");

  const program_run run = setup.run();

  EXPECT_EQ(run.caption, L"Flow Game patch installer");
  EXPECT_EQ(run.text, L"Patch installed. Have fun ;)");
  EXPECT_EQ(run.exit_code, 0u);
  const fs::path game = one / "steamapps" / "common" / "Spacewar Game";
  EXPECT_EQ(files_below(game), (std::set<std::string>{"readme.txt", "data/level.map"}));
  EXPECT_EQ(read_file(setup.root() / "install_log.log"),
            "attempt to get Steam install path returned status 0x00000000 and path " +
                steam.steam_folder().string() + "\r\nmanifest found in " + zero.string() +
                ": false\r\nmanifest found in " + one.string() + ": true\r\n");
}

TEST(flow, game_in_no_steam_library_is_not_found) {
  installer_sandbox setup;
  write_file(setup.archives() / "readme.txt", "new");
  const steam_sandbox steam;
  steam.register_steam();
  const auto [zero, one] = steam.write_two_libraries(std::nullopt);

  const program_run run = setup.run();

  EXPECT_EQ(run.caption, L"Error");
  EXPECT_EQ(run.text, L"This patch requires Flow Game. Please install it first.");
  EXPECT_EQ(run.exit_code, 2u);
  EXPECT_FALSE(fs::exists(zero));
  EXPECT_FALSE(fs::exists(one));
  const std::string log = read_file(setup.root() / "install_log.log");
  EXPECT_EQ(log.substr(log.find("manifest found in")), "manifest found in " + zero.string() +
                                                           ": false\r\nmanifest found in " + one.string() +
                                                           ": false\r\nno install folders found\r\n");
}

TEST(flow, install_path_keeps_the_steam_files_unread_and_the_log_untouched) {
  installer_sandbox setup;
  setup.register_game_folder();
  write_file(setup.archives() / "readme.txt", "new");
  write_file(setup.root() / "install_log.log", "an earlier search\r\n");
  const steam_sandbox steam;
  steam.register_steam();
  steam.write_library_list("\"libraryfolders\" { {");  // would end the run if it were read

  const program_run run = setup.run();

  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_EQ(read_file(setup.game_folder() / "readme.txt"), "new");
  EXPECT_EQ(read_file(setup.root() / "install_log.log"), "an earlier search\r\n");
}

TEST(flow, steam_manifest_without_install_folder_stops_before_copying) {
  installer_sandbox setup;
  write_file(setup.archives() / "readme.txt", "new");
  const steam_sandbox steam;
  steam.register_steam();
  const fs::path library = steam.library(L"Library");
  steam.write_manifest(library, "");
  steam.write_library_list(steam.realistic_library_list(library, library));

  const program_run run = setup.run();

  EXPECT_EQ(run.caption, unexpected_caption);
  EXPECT_EQ(run.text,
            L"The patch was not installed because of an unexpected error:\n\n"
            L"the app manifest of Steam app 480 in " +
                library.native() + L" names no install folder");
  EXPECT_EQ(run.exit_code, 3u);
  EXPECT_EQ(files_below(library / "steamapps"), (std::set<std::string>{"appmanifest_480.acf"}));
}

TEST(flow, started_without_its_patch_files_it_says_to_extract_the_download_first) {
  const std::wstring in_zip =
      L"The installer was started from inside a zip file, so its patch files are not beside it. Extract the "
      L"whole download first, then run the installer from the extracted folder.";
  const std::wstring no_files =
      L"The installer cannot find its patch files: there is no folder \"archives\" with a config.json beside "
      L"it. Extract the whole download, then run the installer from the extracted folder.";
  // Outside the temporary folder, where an installer copied without its
  // folder and one in Explorer's folder for an opened zip differ.
  const fs::path outside =
      fs::path(L"C:\\") / ("patch-test-extract-" + std::to_string(::GetCurrentProcessId()));
  struct row {
    const char* name;
    fs::path folder;
    std::wstring expected;
  };
  const temp_folder temporary;
  const row rows[] = {
      {"below the temporary folder, as a zip opened by a double click", temporary.path() / "patch", in_zip},
      {"named as Explorer names an opened zip", outside / "Temp1_starfall-patch.zip", in_zip},
      {"named as WinRAR names it", outside / "Rar$EXa1234.5678", in_zip},
      {"copied without its archives folder", outside / "Downloads", no_files},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::create_directories(row.folder);
    fs::copy_file(binary_folder() / "patch_installer.exe", row.folder / "patch_installer.exe");

    const program_run run = run_and_dismiss(row.folder / "patch_installer.exe", row.folder);

    EXPECT_EQ(run.caption, unexpected_caption);
    EXPECT_EQ(run.text, row.expected);
    EXPECT_EQ(run.exit_code, 3u);
  }
  fs::remove_all(outside);
}

TEST(flow, unexpected_errors_name_the_file_they_came_from) {
  const std::wstring not_installed = L"The patch was not installed because of an unexpected error:\n\n";
  struct row {
    const char* name;
    void (*arrange)(const installer_sandbox& setup, const steam_sandbox& steam);
    // The box's text begins with this; "@LIBRARY@" stands for the library.
    std::wstring expected_start;
  };
  const row rows[] = {
      {"malformed config.json",
       [](const installer_sandbox& setup, const steam_sandbox&) {
         write_file(setup.archives() / "config.json", R"({"game_name": 7})");
       },
       L"archives\\config.json: [json.exception.type_error.302] type must be string, but is number"},
      {"malformed libraryfolders.vdf",
       [](const installer_sandbox&, const steam_sandbox& steam) {
         steam.write_library_list("\"libraryfolders\" { \"0\" { \"path\" \"C:");
       },
       L"@STEAM@\\steamapps\\libraryfolders.vdf: premature end of file"},
      {"a manifest without installdir",
       [](const installer_sandbox&, const steam_sandbox& steam) {
         steam.write_two_libraries("Spacewar Game");
         write_file(steam.library(L"Library One") / "steamapps" / "appmanifest_480.acf",
                    "\"AppState\" { \"name\" \"Spacewar\" }");
       },
       L"@LIBRARY@\\steamapps\\appmanifest_480.acf: invalid map<K, T> key"},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    installer_sandbox setup;
    write_file(setup.archives() / "readme.txt", "new");
    const steam_sandbox steam;
    steam.register_steam();
    row.arrange(setup, steam);
    std::wstring expected = not_installed + row.expected_start;
    for (const auto& [mark, folder] : {std::pair{L"@STEAM@", steam.steam_folder()},
                                       std::pair{L"@LIBRARY@", steam.library(L"Library One")}}) {
      if (const auto at = expected.find(mark); at != std::wstring::npos) {
        expected.replace(at, std::wstring_view(mark).size(), folder.native());
      }
    }

    const program_run run = setup.run();

    EXPECT_EQ(run.caption, unexpected_caption);
    EXPECT_EQ(run.text.substr(0, expected.size()), expected);
    EXPECT_EQ(run.exit_code, 3u);
  }
}
