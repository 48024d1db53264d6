// The Steam route in-process under Wine: real registry values, real Steam
// folders and libraries, and the install log it leaves.
#include "steam/steam_install.hpp"
#include "support/sandboxes.hpp"
#include "system/text.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace fs = std::filesystem;
using namespace test_support;

namespace {

struct lookup_run {
  std::optional<fs::path> result;
  std::string error;  // what() of the error raised, empty when none
  fs::path location;  // the file the error came from, as recorded
  std::string log;    // the bytes of install_log.log
};

patch_config game_480() {
  patch_config config;
  config.steam_id = "480";
  return config;
}

// Runs the lookup with `working_folder` as the current folder, where it
// writes its log.
lookup_run run_lookup(const fs::path& working_folder) {
  const fs::path previous = fs::current_path();
  fs::current_path(working_folder);
  lookup_run run;
  error_location location;
  try {
    search_log log(location);  // closed before the log is read
    run.result = locate_steam_install(game_480(), log);
  } catch (const std::exception& error) {
    run.error = error.what();
  }
  run.location = location.file;
  fs::current_path(previous);
  run.log = read_file(working_folder / "install_log.log");
  return run;
}

std::string status_line(const fs::path& steam_folder) {
  return "attempt to get Steam install path returned status 0x00000000 and path " +
         path_to_utf8(steam_folder) + "\r\n";
}

std::string found_line(const fs::path& library, bool found) {
  return "manifest found in " + path_to_utf8(library) + (found ? ": true\r\n" : ": false\r\n");
}

std::string library_entry(const std::string& key, const std::string& path_text) {
  return "\t\"" + key + "\"\n\t{\n\t\t\"path\"\t\t\"" + path_text + "\"\n\t}\n";
}

std::string library_list(const std::string& entries) { return "\"libraryfolders\"\n{\n" + entries + "}\n"; }

// Registers `steam` and makes it one library folder, "Lib"; returns that folder.
fs::path register_one_library(const steam_sandbox& steam) {
  steam.register_steam();
  return steam.library(L"Lib");
}

// A library list that names only `library`, under key "0".
std::string one_library_list(const fs::path& library) {
  return library_list(library_entry("0", steam_text(library)));
}

}  // namespace

TEST(steam_install, finds_the_game_in_the_first_library_that_holds_its_manifest) {
  temp_folder work;
  steam_sandbox steam;
  steam.register_steam();
  const auto [zero, one] = steam.write_two_libraries("Spacewar Game");

  const lookup_run run = run_lookup(work.path());

  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.result, one / "steamapps" / "common" / "Spacewar Game");
  EXPECT_EQ(run.log, status_line(steam.steam_folder()) + found_line(zero, false) + found_line(one, true));
}

TEST(steam_install, game_in_no_library_is_not_found) {
  temp_folder work;
  steam_sandbox steam;
  steam.register_steam();
  const auto [zero, one] = steam.write_two_libraries(std::nullopt);

  const lookup_run run = run_lookup(work.path());

  EXPECT_EQ(run.error, "");
  EXPECT_FALSE(run.result);
  EXPECT_EQ(run.log, status_line(steam.steam_folder()) + found_line(zero, false) + found_line(one, false) +
                         "no install folders found\r\n");
}

TEST(steam_install, steam_path_values) {
  temp_folder work;
  steam_sandbox steam;
  // Without SteamPath the lookup ends after its one line.
  lookup_run run = run_lookup(work.path());
  EXPECT_FALSE(run.result);
  EXPECT_EQ(run.log, "attempt to get Steam install path returned status 0x00000002 and path \r\n");

  // An empty SteamPath makes the library list relative to the current folder.
  steam.register_steam(L"");
  write_file(work.path() / "steamapps" / "libraryfolders.vdf", one_library_list(steam.library(L"Lib")));
  steam.install_game(steam.library(L"Lib"), "Game");
  run = run_lookup(work.path());
  EXPECT_EQ(run.result, steam.library(L"Lib") / "steamapps" / "common" / "Game");
  EXPECT_EQ(run.log.substr(0, run.log.find('\n') + 1),
            "attempt to get Steam install path returned status 0x00000000 and path \r\n");

  // A value that an uninstalled Steam left behind: Steam is not here.
  const fs::path gone = work.path() / "Steam-was-here";
  steam.register_steam(gone.native());
  run = run_lookup(work.path());
  EXPECT_EQ(run.error, "");
  EXPECT_FALSE(run.result);
  EXPECT_EQ(run.log, status_line(gone) + "Steam folder " + path_to_utf8(gone) + " does not exist\r\n");

  // Forward slashes as the client stores them, and a trailing separator.
  steam.register_steam(steam.steam_folder().generic_wstring() + L"/");
  steam.write_library_list(one_library_list(steam.library(L"Lib")));
  run = run_lookup(work.path());
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.result, steam.library(L"Lib") / "steamapps" / "common" / "Game");
}

TEST(steam_install, libraries_are_searched_in_key_order_and_the_search_stops_at_the_first_hit) {
  temp_folder work;
  steam_sandbox steam;
  steam.register_steam();
  std::string entries;
  for (const char* key : {"0", "1", "2", "10"}) {
    entries += library_entry(key, steam_text(steam.library(fs::path(key).native())));
  }
  steam.install_game(steam.library(L"2"), "Two");
  steam.install_game(steam.library(L"10"), "Ten");
  // "2" and "3" sort after "10": neither is read, so the missing path of "3"
  // does no harm.
  steam.write_library_list(library_list(entries + "\t\"3\"\n\t{\n\t}\n"));

  lookup_run run = run_lookup(work.path());
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.result, steam.library(L"10") / "steamapps" / "common" / "Ten");
  EXPECT_EQ(run.log, status_line(steam.steam_folder()) + found_line(steam.library(L"0"), false) +
                         found_line(steam.library(L"1"), false) + found_line(steam.library(L"10"), true));

  // A malformed entry before the hit ends the lookup.
  steam.write_library_list(library_list("\t\"00\"\n\t{\n\t\t\"label\"\t\"\"\n\t}\n" + entries));
  run = run_lookup(work.path());
  EXPECT_EQ(run.error, "invalid map<K, T> key");
  EXPECT_FALSE(run.result);
}

TEST(steam_install, library_paths_are_normalised_for_the_result_and_the_log) {
  temp_folder work;
  steam_sandbox steam;
  steam.register_steam();
  const fs::path library = steam.library(L"Caf\u00E9 Games");
  steam.install_game(library, "Game");
  const std::string doubled = steam_text(library.parent_path()) + "\\\\\\\\" + steam_text(library.filename());
  struct row {
    const char* name;
    std::string path_text;
    fs::path expected_library;
  };
  const row rows[] = {
      {"doubled backslashes as the client writes them", steam_text(library), library},
      {"forward slashes", path_to_utf8(fs::path(library.generic_wstring())), library},
      {"a doubled separator", doubled, library},
      {"a trailing separator", steam_text(library) + "\\\\", fs::path(library.native() + L"\\")},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    steam.write_library_list(library_list(library_entry("0", row.path_text)));
    const lookup_run run = run_lookup(work.path());
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.result.value_or("").native(),
              (row.expected_library / "steamapps" / "common" / "Game").native());
    // The log narrows U+00E9 to the single byte 0xE9.
    std::string expected_folder = path_to_utf8(row.expected_library);
    expected_folder.replace(expected_folder.find("\xC3\xA9"), 2, "\xE9");
    EXPECT_EQ(run.log.substr(run.log.find("manifest found in")),
              "manifest found in " + expected_folder + ": true\r\n");
  }
}

TEST(steam_install, a_folder_beyond_latin_1_is_logged_with_a_question_mark_and_later_lines_stay) {
  temp_folder work;
  steam_sandbox steam;
  steam.register_steam();
  const fs::path cyrillic = steam.library(L"\u0418\u0433\u0440\u044B");
  const fs::path plain = steam.library(L"Plain");
  fs::create_directories(cyrillic);
  steam.install_game(plain, "Game");
  steam.write_library_list(
      library_list(library_entry("0", steam_text(cyrillic)) + library_entry("1", steam_text(plain))));

  const lookup_run run = run_lookup(work.path());

  EXPECT_EQ(run.result, plain / "steamapps" / "common" / "Game");
  EXPECT_EQ(run.log, status_line(steam.steam_folder()) + "manifest found in " +
                         path_to_utf8(cyrillic.parent_path()) + "\\????: false\r\n" +
                         found_line(plain, true));
}

TEST(steam_install, install_folder_forms) {
  temp_folder work;
  steam_sandbox steam;
  const fs::path library = register_one_library(steam);
  steam.write_library_list(one_library_list(library));
  const fs::path elsewhere = steam.library(L"Elsewhere") / "Some Game";
  struct row {
    const char* name;
    std::string installdir;
    fs::path expected;
  };
  const row rows[] = {
      {"a folder name", "Some Game", library / "steamapps" / "common" / "Some Game"},
      {"a folder below a folder", "Studio/Some Game.v2",
       library / "steamapps" / "common" / "Studio/Some Game.v2"},
      {"an absolute folder", path_to_utf8(elsewhere), elsewhere},
      {"non-ASCII letters", "\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0",
       library / "steamapps" / "common" / L"\u30B2\u30FC\u30E0"},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    steam.write_manifest(library, row.installdir);
    fs::create_directories(row.expected);
    const lookup_run run = run_lookup(work.path());
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.result.value_or("").native(), row.expected.native());
  }
}

// A manifest left behind when the game's folder was moved or deleted by
// hand: not found, and the log says which folder is missing.
TEST(steam_install, manifest_naming_a_missing_folder_finds_nothing) {
  temp_folder work;
  steam_sandbox steam;
  const fs::path library = register_one_library(steam);
  steam.write_library_list(one_library_list(library));
  steam.write_manifest(library, "Gone Game");

  const lookup_run run = run_lookup(work.path());

  EXPECT_EQ(run.error, "");
  EXPECT_FALSE(run.result);
  EXPECT_EQ(run.log, status_line(steam.steam_folder()) + found_line(library, true) + "install folder " +
                         path_to_utf8(library / "steamapps" / "common" / "Gone Game") +
                         " does not exist\r\n");
}

// Windows drops the dots and spaces that end a name, so each of these stays
// in steamapps\common, climbs out of it, or depends on the current folder.
TEST(steam_install, install_folder_that_names_no_folder_of_its_own_is_an_error) {
  temp_folder work;
  steam_sandbox steam;
  const fs::path library = register_one_library(steam);
  steam.write_library_list(one_library_list(library));
  const std::string expected_error =
      "the app manifest of Steam app 480 in " + path_to_utf8(library) + " names no install folder";
  for (const char* installdir : {"", ".", "..", "...", " ", ". ", "\\\\", "Game\\..", "Game/../Other",
                                 "..\\Game", "\\Games\\Game", "D:Game"}) {
    SCOPED_TRACE(installdir);
    steam.write_manifest(library, installdir);
    const lookup_run run = run_lookup(work.path());
    EXPECT_EQ(run.error, expected_error);
    EXPECT_FALSE(run.result);
  }
}

TEST(steam_install, malformed_or_incomplete_steam_files_are_errors) {
  temp_folder work;
  steam_sandbox steam;
  const fs::path library = register_one_library(steam);
  const std::string good_list = one_library_list(library);
  const fs::path list_file = steam.steam_folder() / "steamapps" / "libraryfolders.vdf";
  const fs::path manifest_file = library / "steamapps" / "appmanifest_480.acf";
  struct row {
    const char* name;
    std::optional<std::string> list;      // libraryfolders.vdf; absent: no file
    std::optional<std::string> manifest;  // appmanifest_480.acf; absent: no file
    std::string expected_error;
    fs::path expected_location;
  };
  const row rows[] = {
      {"no library list", std::nullopt, std::nullopt, "bad variant access", list_file},
      {"library list cut short", "\"libraryfolders\" { \"0\" { \"path\" \"C:", std::nullopt,
       "premature end of file", list_file},
      {"libraryfolders holds text", "\"libraryfolders\" \"none\"", std::nullopt, "bad variant access",
       list_file},
      {"library without path", library_list("\"0\" { \"label\" \"\" }"), std::nullopt,
       "invalid map<K, T> key", list_file},
      {"library path an object", library_list("\"0\" { \"path\" { } }"), std::nullopt, "bad variant access",
       list_file},
      {"manifest malformed", good_list, "\"AppState\" { \"installdir\" { } } {",
       "not a valid place to open a subobject", manifest_file},
      {"manifest empty", good_list, "", "bad variant access", manifest_file},
      {"AppState holds text", good_list, "\"AppState\" \"x\"", "bad variant access", manifest_file},
      {"appstate in lower case", good_list, "\"appstate\" { \"installdir\" \"Game\" }", "bad variant access",
       manifest_file},
      {"installdir missing", good_list, "\"AppState\" { \"name\" \"Game\" }", "invalid map<K, T> key",
       manifest_file},
      {"installdir an object", good_list, "\"AppState\" { \"installdir\" { } }", "bad variant access",
       manifest_file},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove(steam.steam_folder() / "steamapps" / "libraryfolders.vdf");
    fs::remove(library / "steamapps" / "appmanifest_480.acf");
    if (row.list) {
      steam.write_library_list(*row.list);
    }
    if (row.manifest) {
      write_file(library / "steamapps" / "appmanifest_480.acf", *row.manifest);
    }
    const lookup_run run = run_lookup(work.path());
    EXPECT_EQ(run.error, row.expected_error);
    EXPECT_EQ(run.location, row.expected_location);
    EXPECT_FALSE(run.result);
  }
}
