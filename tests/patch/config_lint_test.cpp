#include "patch/config_lint.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string required_members =
    R"("game_name": "G", "process_name": "G.exe", "data_directory": "Data", "registry_key": "G", "steam_id": "1")";

const std::string hash(64, 'a');

// A config.json with the required members and `members`.
std::string with(const std::string& members) { return "{" + required_members + ", " + members + "}"; }

struct row {
  const char* name;
  std::string bytes;
  std::vector<std::string> expected;  // every problem, in the order told
};

void expect_problems(const std::vector<row>& rows) {
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(config_problems(row.bytes), row.expected);
  }
}

}  // namespace

TEST(config_lint, a_file_it_cannot_read_is_its_only_problem) {
  const std::string ansi =
      "config.json is not UTF-8 (line 3 holds a byte that UTF-8 does not allow there); "
      "it was probably saved as ANSI: save it as UTF-8";
  expect_problems({
      {"UTF-16 with its byte order mark",
       std::string("\xFF\xFE{\0}\0", 6),
       {"config.json is saved as UTF-16 (\"Unicode\" in some editors); save it as UTF-8"}},
      {"UTF-16 without one",
       std::string("{\0}\0", 4),
       {"config.json holds NUL bytes, as a file saved as UTF-16 does; save it as UTF-8"}},
      {"an ANSI letter", "{\n\"game_name\": \"G\",\n\"process_name\": \"Caf\xE9.exe\"}", {ansi}},
      {"an encoded surrogate", "{\n\n\"game_name\": \"\xED\xA0\x80\"}", {ansi}},
      {"invalid JSON",
       "{\"game_name\": ",
       {"config.json is not valid JSON: [json.exception.parse_error.101] parse error at line 1, column 15: "
        "syntax error while parsing value - unexpected end of input; expected '[', '{', or a literal"}},
      {"not an object",
       "[{" + required_members + "}]",
       {"config.json must hold one object in { }, not array"}},
  });
}

TEST(config_lint, names_members_missing_mistyped_or_misspelled) {
  expect_problems({
      {"the required members only", "{" + required_members + "}", {}},
      {"notes of the author's own", with(R"("notes": "ask Mira", "version": 3)"), {}},
      {"required members missing",
       R"({"game_name": "G", "registry_key": "G"})",
       {"the member \"process_name\" is missing", "the member \"data_directory\" is missing",
        "the member \"steam_id\" is missing"}},
      {"a text of another type",
       with(R"("gog_id": 1207658924)"),
       {"the member \"gog_id\" must be text (in quotes), not number 1207658924"}},
      {"a flag of another type",
       with(R"("keep_originals": "yes")"),
       {"the member \"keep_originals\" must be true or false, not string \"yes\""}},
      {"versions of another type",
       with(R"("game_versions": {"name": "1.2"})"),
       {"the member \"game_versions\" must be a list of versions in [ ], not object {\"name\":\"1.2\"}"}},
      {"letters swapped",
       with(R"("exectuable_path": "Bin/G.exe")"),
       {"the member \"exectuable_path\" is not one the installer knows: did you mean \"executable_path\"?"}},
      {"another letter case",
       with(R"("Patch_Name": "Fan patch")"),
       {"the member \"Patch_Name\" is not one the installer knows: did you mean \"patch_name\"?"}},
      {"what only the installer's own reading refuses",
       with(R"("ubisoft_id": "12a")"),
       {"ubisoft_id: \"12a\" is not Ubisoft Connect's install id (digits only)"}},
      {"the six stores' ids, valid",
       with(R"("amazon_id": "amzn1.adg.product.3f1e", "battlenet_uid": "s2_enus", "ea_content_id": "1039093",
               "rockstar_title": "Grand Theft Auto V", "legacy_uuid": "7c3a", "humble_id": "kinglet_windows")"),
       {}},
      {"a store's id of another type",
       with(R"("battlenet_uid": 21298, "legacy_uuid": null)"),
       {"the member \"battlenet_uid\" must be text (in quotes), not number 21298",
        "the member \"legacy_uuid\" must be text (in quotes), not null null"}},
      {"a store's id misspelled",
       with(R"("humble_ID": "kinglet_windows")"),
       {"the member \"humble_ID\" is not one the installer knows: did you mean \"humble_id\"?"}},
      {"a Rockstar title with a backslash",
       with(R"("rockstar_title": "Rockstar Games\\Max Payne 3")"),
       {R"(rockstar_title: "Rockstar Games\Max Payne 3" is not the name of one registry key (no \))"}},
  });
}

TEST(config_lint, names_faults_inside_paths_versions_and_messages) {
  const std::string below = " is not a path below its folder (use / between folders, no drive, no ..)";
  expect_problems({
      {"every member, valid",
       with(R"("gog_id": "1", "epic_app_name": "Kinglet", "xbox_package": "Mirelune.G", "ubisoft_id": "635",
               "ask_for_folder": true, "checksums": "Seal\\SHA256SUMS", "executable_path": "./Bin/G.exe",
               "language": "auto", "keep_originals": true, "patch_name": "Fan patch",
               "messages": {"installed": "Патч установлен!", "game_not_found": "Install {game} first."},
               "game_versions": [{"name": "1.2", "files": {"G.exe": ")" +
            hash + R"("}}])"),
       {}},
      {"a checksum file outside archives",
       with(R"("checksums": "../SHA256SUMS")"),
       {"checksums: \"../SHA256SUMS\"" + below}},
      {"an executable on a drive",
       with(R"("executable_path": "C:\\G.exe")"),
       {"executable_path: \"C:\\G.exe\"" + below}},
      {"a version's hash",
       with(R"("game_versions": [{"name": "1.2", "files": {"G.exe": "abc"}}])"),
       {"game_versions[0].files: the hash of G.exe is not 64 hexadecimal digits"}},
      {"a version's path",
       with(R"("game_versions": [{"name": "1.2", "files": {"../G.exe": ")" + hash + R"("}}])"),
       {"game_versions[0].files: \"../G.exe\" is not a path below the game folder"}},
      {"a version without files or name",
       with(R"("game_versions": [{"name": "1.2"}, 5])"),
       {"game_versions[0] must have \"files\", an object from each file's path to its SHA-256",
        "game_versions[1] must be an object with a text \"name\"",
        "game_versions[1] must have \"files\", an object from each file's path to its SHA-256"}},
      {"messages of another type",
       with(R"("messages": ["Done"])"),
       {"the member \"messages\" must be texts by their key in { }, not array [\"Done\"]"}},
      {"a message key the installer has not, and a text that is no text",
       with(R"("messages": {"uninstalled": "Gone", "installed": 5})"),
       {"messages: the text for \"installed\" must be text (in quotes)",
        "messages: the installer has no text \"uninstalled\""}},
      {"a message with fields its text has not",
       with(R"("messages": {"installed": "Done {version}", "game_not_found": "Install {game first."})"),
       {"messages: the text for \"game_not_found\" may hold only the fields {game}, each in braces: Install "
        "{game first.",
        "messages: the text for \"installed\" may hold no fields in braces: Done {version}"}},
  });
}

TEST(config_lint, names_several_problems_at_once_in_the_members_order) {
  const std::string config =
      R"({"game_name": "G", "process_name": "G.exe", "data_directory": "Data", "registry_key": 7,
          "ask_for_folder": 1, "executable_path": "..", "gog-id": "1", "Steam_id": "1",
          "game_versions": [{"name": "1.2", "files": {"G.exe": "abc"}}]})";
  const std::vector<std::string> expected{
      "the member \"registry_key\" must be text (in quotes), not number 7",
      "the member \"steam_id\" is missing",
      "the member \"ask_for_folder\" must be true or false, not number 1",
      "game_versions[0].files: the hash of G.exe is not 64 hexadecimal digits",
      "executable_path: \"..\" is not a path below its folder (use / between folders, no drive, no ..)",
      "the member \"Steam_id\" is not one the installer knows: did you mean \"steam_id\"?",
      "the member \"gog-id\" is not one the installer knows: did you mean \"gog_id\"?"};
  EXPECT_EQ(config_problems(config), expected);
}
