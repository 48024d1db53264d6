#include "patch/patch_config.hpp"
#include "support/files.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const std::string valid_members =
    R"("game_name": "Game", "process_name": "Game.exe", "data_directory": "Data",
       "registry_key": "Game", "steam_id": "123450")";

// Loads a config.json with `content`, from a folder removed afterwards.
patch_config load(const std::string& content) {
  const test_support::temp_folder folder;
  return load_patch_config(test_support::write_file(folder.path() / "config.json", content));
}

// The id of the JSON library's error that loading `content` raises, or 0.
int error_id(const std::string& content) {
  try {
    load(content);
  } catch (const json::exception& error) {
    return error.id;
  }
  return 0;
}

}  // namespace

TEST(config, reads_all_five_members_in_any_order) {
  const patch_config config = load(R"({"steam_id": "7", "registry_key": "Studio\\Game",
      "data_directory": "", "process_name": "game.exe", "game_name": "Game"})");
  EXPECT_EQ(config.game_name, "Game");
  EXPECT_EQ(config.process_name, "game.exe");
  EXPECT_EQ(config.data_directory, "");
  EXPECT_EQ(config.registry_key, "Studio\\Game");
  EXPECT_EQ(config.steam_id, "7");
}

TEST(config, accepted_variants) {
  struct row {
    const char* name;
    std::string content;
    std::string expected_game_name;
  };
  const row rows[] = {
      {"byte order mark", "\xEF\xBB\xBF{" + valid_members + "}", "Game"},
      {"text after the value", "{" + valid_members + "} trailing garbage {", "Game"},
      {"second value after the first", "{" + valid_members + "}\n{\"game_name\": 1}", "Game"},
      {"whitespace and CR LF", "\r\n \t{" + valid_members + "}\r\n", "Game"},
      {"extra member of any type", R"({"extra": [1, {"a": null}], )" + valid_members + "}", "Game"},
      {"later duplicate wins", "{" + valid_members + R"(, "game_name": "Second"})", "Second"},
      {"escapes decoded to UTF-8",
       R"({"game_name": "Caf\u00e9 \"{}\"", )" +
           valid_members.substr(valid_members.find("\"process_name\"")) + "}",
       "Caf\xC3\xA9 \"{}\""},
      {"empty strings", R"({"game_name": "", "process_name": "", "data_directory": "",
          "registry_key": "", "steam_id": ""})",
       ""},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(load(row.content).game_name, row.expected_game_name);
  }
}

TEST(config, every_fault_is_an_error_of_the_json_library) {
  struct row {
    const char* name;
    std::string content;
    int expected_id;  // parse_error 101, type_error 302/304, out_of_range 403
  };
  const row rows[] = {
      {"empty file", "", 101},
      {"only whitespace", " \r\n\t ", 101},
      {"syntax error", "{" + valid_members + ",}", 101},
      {"line comment", "// note\n{" + valid_members + "}", 101},
      {"block comment inside", "{" + valid_members + " /* note */}", 101},
      {"invalid UTF-8 in a string",
       "{\"game_name\": \"\xC3\x28\", " + valid_members.substr(valid_members.find("\"process_name\"")) + "}",
       101},
      {"top value an array", R"(["Game"])", 304},
      {"top value a string", "\"game\"", 304},
      {"steam_id a number", R"({"game_name": "G", "process_name": "g.exe", "data_directory": "d",
          "registry_key": "k", "steam_id": 123450})",
       302},
      {"member missing", R"({"game_name": "G", "process_name": "g.exe", "data_directory": "d",
          "registry_key": "k"})",
       403},
      {"key differs in letter case", R"({"Game_Name": "G", "process_name": "g.exe",
          "data_directory": "d", "registry_key": "k", "steam_id": "1"})",
       403},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(error_id(row.content), row.expected_id);
  }
}

TEST(config, optional_members_for_other_stores_and_the_folder_picker) {
  struct row {
    const char* name;
    std::string members;  // added to the five required ones
    std::string gog_id, epic_app_name;
    bool ask_for_folder;
    int expected_error_id;  // 0 when it loads
  };
  const row rows[] = {
      {"none of them", "", "", "", false, 0},
      {"all of them", R"("gog_id": "1207658924", "epic_app_name": "Kinglet", "ask_for_folder": true)",
       "1207658924", "Kinglet", true, 0},
      {"empty texts, as in a template", R"("gog_id": "", "epic_app_name": "", "ask_for_folder": false)", "",
       "", false, 0},
      {"gog_id a number", R"("gog_id": 1207658924)", "", "", false, 302},
      {"epic_app_name null", R"("epic_app_name": null)", "", "", false, 302},
      {"ask_for_folder a string", R"("ask_for_folder": "yes")", "", "", false, 302},
      {"ask_for_folder a number", R"("ask_for_folder": 1)", "", "", false, 302},
      {"keep_originals a string", R"("keep_originals": "true")", "", "", false, 302},
      {"patch_name a number", R"("patch_name": 11)", "", "", false, 302},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string content = "{" + valid_members + (row.members.empty() ? "" : ", " + row.members) + "}";
    EXPECT_EQ(error_id(content), row.expected_error_id);
    if (row.expected_error_id == 0) {
      const patch_config config = load(content);
      EXPECT_EQ(config.gog_id, row.gog_id);
      EXPECT_EQ(config.epic_app_name, row.epic_app_name);
      EXPECT_EQ(config.ask_for_folder, row.ask_for_folder);
    }
  }
}

TEST(config, xbox_package_and_a_ubisoft_id_of_digits) {
  const patch_config config =
      load("{" + valid_members + R"(, "xbox_package": "Mirelune.Flow", "ubisoft_id": "0635"})");
  EXPECT_EQ(config.xbox_package + " " + config.ubisoft_id, "Mirelune.Flow 0635");
  // It becomes a registry subkey.
  try {
    load("{" + valid_members + R"(, "ubisoft_id": "635\\..\\1"})");
    ADD_FAILURE() << "a ubisoft_id that is not digits was taken";
  } catch (const config_error& error) {
    EXPECT_STREQ(error.what(), R"(ubisoft_id: "635\..\1" is not Ubisoft Connect's install id (digits only))");
  }
  EXPECT_EQ(error_id("{" + valid_members + R"(, "ubisoft_id": 635})"), 302);
}

TEST(config, the_six_store_ids_and_a_rockstar_title_that_is_one_registry_key) {
  const patch_config config =
      load("{" + valid_members + R"(, "amazon_id": "amzn1.adg.product.3f1e", "battlenet_uid": "s2_enus",
          "ea_content_id": "OFB-EAST:109552409", "rockstar_title": "Grand Theft Auto V", "legacy_uuid": "7c3a",
          "humble_id": "kinglet_windows"})");
  EXPECT_EQ(config.amazon_id + "|" + config.battlenet_uid + "|" + config.ea_content_id + "|" +
                config.rockstar_title + "|" + config.legacy_uuid + "|" + config.humble_id,
            "amzn1.adg.product.3f1e|s2_enus|OFB-EAST:109552409|Grand Theft Auto V|7c3a|kinglet_windows");
  struct row {
    const char* name;
    std::string title;           // as JSON text
    std::string expected_error;  // empty: taken as it is
  };
  const row rows[] = {
      {"a deeper key", R"("Rockstar Games\\Grand Theft Auto V")",
       R"(rockstar_title: "Rockstar Games\Grand Theft Auto V" is not the name of one registry key (no \))"},
      {"a way up", R"("..\\Ubisoft")",
       R"(rockstar_title: "..\Ubisoft" is not the name of one registry key (no \))"},
      {"a closing backslash", R"("Max Payne 3\\")",
       R"(rockstar_title: "Max Payne 3\" is not the name of one registry key (no \))"},
      {"a slash, which a key's name may hold", R"("L.A. Noire/Complete")", ""},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    try {
      const patch_config read = load("{" + valid_members + R"(, "rockstar_title": )" + row.title + "}");
      EXPECT_EQ(row.expected_error, "") << read.rockstar_title;
      EXPECT_EQ(read.rockstar_title, "L.A. Noire/Complete");
    } catch (const config_error& error) {
      EXPECT_EQ(error.what(), row.expected_error);
    }
  }
  EXPECT_EQ(error_id("{" + valid_members + R"(, "humble_id": ["kinglet_windows"]})"), 302);
}

TEST(config, missing_file_is_a_parse_error) {
  EXPECT_THROW(load_patch_config(fs::temp_directory_path() / "no-such-folder" / "config.json"),
               json::parse_error);
}

TEST(config, first_faulty_member_in_fixed_order_is_reported) {
  try {
    load(R"({"steam_id": 1, "process_name": null, "game_name": "G", "data_directory": "d",
        "registry_key": "k"})");
    FAIL() << "no error raised";
  } catch (const json::type_error& error) {
    EXPECT_STREQ(error.what(), "[json.exception.type_error.302] type must be string, but is null");
  }
}

TEST(config, release_example_loads_with_its_notes_ignored) {
  const patch_config config = load_patch_config(RELEASE_EXAMPLE_CONFIG);
  EXPECT_EQ(config.game_name, "Starfall Tactics");
  EXPECT_EQ(config.process_name, "StarfallTactics.exe");
  EXPECT_EQ(config.data_directory, "Data");
  EXPECT_EQ(config.registry_key, "Starfall Tactics");
  EXPECT_EQ(config.steam_id, "1234560");
  EXPECT_EQ(config.gog_id, "");
  EXPECT_EQ(config.epic_app_name, "");
  EXPECT_TRUE(config.ask_for_folder);
}

TEST(config, sealing_versions_and_the_executable_place) {
  const std::string hash(64, 'a');
  struct row {
    const char* name;
    std::string members;   // added to the five required ones
    std::string expected;  // what the loaded members read as, or the config_error's text
  };
  const row rows[] = {
      {"none of them", "", "checksums= executable_path= versions=0"},
      {"paths normalized", R"("checksums": ".\\Seal\\SHA256SUMS", "executable_path": "Bin/./Win64\\G.exe")",
       "checksums=Seal/SHA256SUMS executable_path=Bin/Win64/G.exe versions=0"},
      {"two versions, hashes in lower case",
       R"x("game_versions": [{"name": "1.2 (Steam)", "files": {"G.exe": ")x" + std::string(64, 'A') +
           R"x("}}, {"name": "1.2 (GOG)", "files": {"Data\\core.pak": ")x" + hash + R"x("}}])x",
       "checksums= executable_path= versions=2 1.2 (Steam): G.exe=" + hash +
           " 1.2 (GOG): Data/core.pak=" + hash},
      {"a checksum file outside archives", R"("checksums": "../SHA256SUMS")",
       "checksums: ../SHA256SUMS is not a path below its folder"},
      {"an executable on another drive", R"("executable_path": "D:\\G.exe")",
       "executable_path: D:\\G.exe is not a path below its folder"},
      {"a short hash", R"("game_versions": [{"name": "1.2", "files": {"G.exe": "abc"}}])",
       "game_versions[0].files: the hash of G.exe is not 64 hexadecimal digits"},
      {"a version without files", R"("game_versions": [{"name": "1.2", "files": {}}])",
       "game_versions[0].files: expected an object from each file's path to its SHA-256"},
      {"a version file that climbs out",
       R"("game_versions": [{"name": "1.2", "files": {"../G.exe": ")" + hash + R"("}}])",
       "game_versions[0].files: ../G.exe is not a path below its folder"},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string content = "{" + valid_members + (row.members.empty() ? "" : ", " + row.members) + "}";
    std::string read;
    try {
      const patch_config config = load(content);
      read = "checksums=" + config.checksums + " executable_path=" + config.executable_path +
             " versions=" + std::to_string(config.game_versions.size());
      for (const game_version& version : config.game_versions) {
        read += " " + version.name + ":";
        for (const auto& [path, digest] : version.files) {
          read += " " + path + "=" + digest;
        }
      }
    } catch (const config_error& error) {
      read = error.what();
    }
    EXPECT_EQ(read, row.expected);
  }
  // A wrong type is the JSON library's error, as for the other members.
  EXPECT_EQ(error_id("{" + valid_members + R"(, "game_versions": {"name": "1.2"}})"), 302);
  EXPECT_EQ(error_id("{" + valid_members + R"(, "checksums": true})"), 302);
}
