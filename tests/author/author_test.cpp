// patch_author.exe as a patch author runs it, under Wine: beside the
// installer, on a machine with the game.
#include "support/sandboxes.hpp"
#include "system/sha256.hpp"
#include "system/text.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace test_support;

namespace {

// The installer and the author's tool beside a patch for the test game.
struct authored_patch {
  installer_sandbox setup;
  authored_patch() {
    fs::copy_file(binary_folder() / "patch_author.exe", setup.installer_folder() / "patch_author.exe");
    setup.register_game_folder();
    write_file(setup.game_folder() / "FlowTestGame.exe", "the game's exe");
    write_file(setup.game_folder() / "Data" / "a.dat", "the game's own");
    write_file(setup.archives() / "Data" / "a.dat", "the patch's");
    write_file(setup.archives() / "readme.txt", "new");
  }
  console_run author(const std::vector<std::wstring>& arguments) const {
    return run_console(setup.installer_folder() / "patch_author.exe", arguments, setup.root());
  }
};

// Whether `output` holds `line` as one of its lines (which end in CR LF,
// as Windows programs print them).
bool has_line(const std::string& output, const std::string& line) {
  return ("\n" + output).find("\n" + line + "\r\n") != std::string::npos;
}

}  // namespace

TEST(author, check_names_every_problem_of_a_configuration_at_once) {
  std::string utf16 = "\xFF\xFE";
  for (const char unit : std::string(R"({"game_name": "Flow Game"})")) {
    utf16 += std::string{unit, '\0'};
  }
  struct row {
    const char* name;
    std::string config;
    std::vector<std::string> expected;  // lines of the output
  };
  const row rows[] = {
      {"members missing, of the wrong type and misspelled",
       R"({"game_nme": "Flow Game", "process_name": 5, "data_directory": "Data", "registry_key": "K",
           "steam_id": "480", "ask_for_folder": "yes", "gog_ID": "1",
           "game_versions": [{"name": "1.2", "files": {"FlowTestGame.exe": "abc"}}]})",
       {"  problem: the member \"game_name\" is missing",
        "  problem: the member \"process_name\" must be text (in quotes), not number 5",
        "  problem: the member \"ask_for_folder\" must be true or false, not string \"yes\"",
        "  problem: game_versions[0].files: the hash of FlowTestGame.exe is not 64 hexadecimal digits",
        "  problem: the member \"game_nme\" is not one the installer knows: did you mean \"game_name\"?",
        "  problem: the member \"gog_ID\" is not one the installer knows: did you mean \"gog_id\"?"}},
      {"saved as UTF-16",
       utf16,
       {"  problem: config.json is saved as UTF-16 (\"Unicode\" in some editors); save it as UTF-8"}},
      {"saved as ANSI",
       "{\n\"game_name\": \"Caf\xE9\"}",
       {"  problem: config.json is not UTF-8 (line 2 holds a byte that UTF-8 does not allow there); it was "
        "probably saved as ANSI: save it as UTF-8"}},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    const authored_patch patch;
    write_file(patch.setup.archives() / "config.json", row.config);

    const console_run run = patch.author({L"check"});

    for (const std::string& line : row.expected) {
      EXPECT_TRUE(has_line(run.output, line)) << line << "\nis not in\n" << run.output;
    }
    EXPECT_EQ(run.exit_code, 1u);
  }
}

TEST(author, check_shows_where_a_run_would_install_and_changes_nothing) {
  const authored_patch patch;
  const auto before = tree_below(patch.setup.game_folder());

  const console_run run = patch.author({L"check", patch.setup.installer_folder().native()});

  EXPECT_EQ(run.exit_code, 0u) << run.output;
  for (const std::string& line : {"  game folder: " + path_to_utf8(patch.setup.game_folder()),
                                  std::string("  replace Data\\a.dat"), std::string("  create  readme.txt"),
                                  std::string("ready: an installer run would copy the patch now")}) {
    EXPECT_TRUE(has_line(run.output, line)) << line << "\nis not in\n" << run.output;
  }
  EXPECT_EQ(tree_below(patch.setup.game_folder()), before);
  EXPECT_FALSE(fs::exists(patch.setup.root() / "install_log.log"));
}

TEST(author, seal_makes_a_patch_that_the_installer_checks) {
  const authored_patch patch;

  const console_run sealed = patch.author({L"seal"});

  EXPECT_EQ(sealed.exit_code, 0u) << sealed.output;
  const sha256 hasher;
  EXPECT_EQ(
      read_file(patch.setup.archives() / "SHA256SUMS"),
      to_hex(hasher.of("the patch's")) + "  Data/a.dat\n" + to_hex(hasher.of("new")) + "  readme.txt\n");
  EXPECT_EQ(nlohmann::json::parse(read_file(patch.setup.archives() / "config.json"))["checksums"],
            "SHA256SUMS");
  EXPECT_NE(sealed.output.find("\"FlowTestGame.exe\": \"" + to_hex(hasher.of("the game's exe")) + "\""),
            std::string::npos)
      << sealed.output;
  EXPECT_EQ(patch.setup.run().text, L"Patch installed. Have fun ;)");

  write_file(patch.setup.archives() / "readme.txt", "changed after sealing");
  const console_run checked = patch.author({L"check"});
  EXPECT_TRUE(has_line(checked.output, "  problem: archives\\readme.txt does not match its checksum"))
      << checked.output;
  EXPECT_EQ(checked.exit_code, 1u);
}
