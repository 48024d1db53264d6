// End-to-end runs of the real installer under Wine: its message box, exit
// code and the files that arrive in the game folder.
#include "test_support.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <set>
#include <string>

namespace fs = std::filesystem;
using namespace test_support;

namespace {

const std::wstring game_key = L"Software\\Mirelune\\PatchInstallerTest\\Flow Game";
const std::wstring unexpected_caption = L"Patch installer";

nlohmann::json config_for(const std::string& game_name) {
  return {{"game_name", game_name},
          {"process_name", "FlowTestGame.exe"},
          {"data_directory", "Data"},
          {"registry_key", "PatchInstallerTest\\Flow Game"},
          {"steam_id", "480"}};
}

// An installer copied beside its own archives folder, a game folder, and the
// game's registry key; all removed after the test.
class installer_setup {
 public:
  explicit installer_setup(const nlohmann::json& config = config_for("Flow Game")) {
    fs::create_directories(archives());
    fs::copy_file(binary_folder() / "patch_installer.exe", installer_folder() / "patch_installer.exe");
    write_file(archives() / "config.json", config.dump());
  }
  fs::path installer_folder() const { return root_.path() / "installer"; }
  fs::path archives() const { return installer_folder() / "archives"; }
  fs::path game_folder() const { return root_.path() / "Game Folder"; }
  const scoped_registry_key& registry() const { return key_; }
  void register_game_folder() const { key_.set_string(L"InstallPath", game_folder().native()); }
  program_run run() const {
    return run_and_dismiss(installer_folder() / "patch_installer.exe", root_.path());
  }

 private:
  temp_folder root_;
  scoped_registry_key key_{game_key};
};

// Every file below `folder`, as generic relative paths.
std::set<std::string> files_below(const fs::path& folder) {
  std::set<std::string> files;
  if (!fs::exists(folder)) {
    return files;
  }
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files.insert(entry.path().lexically_relative(folder).generic_string());
    }
  }
  return files;
}

std::wstring widened(const std::string& utf8) {
  const std::u8string text(utf8.begin(), utf8.end());
  return fs::path(text).native();
}

}  // namespace

TEST(flow, installs_nested_files_and_replaces_existing_ones) {
  installer_setup setup;
  setup.register_game_folder();
  write_file(setup.archives() / "readme.txt", "new");
  write_file(setup.archives() / "data" / "maps" / "level 1.map", "map");
  write_file(setup.archives() / "data" / "config.json", "{}");
  write_file(setup.archives() / "other" / "Config.json", "{}");  // the file system ignores case

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
}

TEST(flow, refuses_while_the_game_runs_and_touches_nothing) {
  installer_setup setup;
  setup.register_game_folder();
  write_file(setup.archives() / "readme.txt", "new");
  const stand_in_process game(L"FlowTestGame.exe");

  const program_run run = setup.run();

  EXPECT_EQ(run.caption, L"Flow Game patch installer");
  EXPECT_EQ(run.text, L"Please close Flow Game before installing the patch.");
  EXPECT_EQ(run.exit_code, 1u);
  EXPECT_FALSE(fs::exists(setup.game_folder()));
}

TEST(flow, reports_a_missing_game_under_the_default_title) {
  installer_setup setup;
  write_file(setup.archives() / "readme.txt", "new");

  const program_run run = setup.run();

  EXPECT_EQ(run.caption, L"Error");  // the system's title for a box without one
  EXPECT_EQ(run.text, L"This patch requires Flow Game. Please install it first.");
  EXPECT_EQ(run.exit_code, 2u);
  EXPECT_FALSE(fs::exists(setup.game_folder()));
}

TEST(flow, game_name_is_shown_literally_in_every_message) {
  for (const std::string name : {"Ærø Saga \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80", "Braces {} and {0}"}) {
    SCOPED_TRACE(name);
    const std::wstring wide = widened(name);
    {
      installer_setup setup(config_for(name));
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
  installer_setup setup;
  setup.register_game_folder();
  write_file(setup.archives() / "config.json", R"({"game_name": "Flow Game" // no comments in JSON })");
  write_file(setup.archives() / "readme.txt", "new");
  const stand_in_process game(L"FlowTestGame.exe");

  const program_run run = setup.run();

  EXPECT_EQ(run.caption, unexpected_caption);
  EXPECT_EQ(run.text.rfind(L"The patch was not installed because of an unexpected error:\n\n"
                           L"[json.exception.parse_error.101]",
                           0),
            0u)
      << fs::path(run.text).string();
  EXPECT_EQ(run.exit_code, 3u);
  EXPECT_FALSE(fs::exists(setup.game_folder()));
}

TEST(flow, missing_member_is_a_configuration_error) {
  installer_setup setup;
  setup.register_game_folder();
  nlohmann::json config = config_for("Flow Game");
  config.erase("steam_id");
  write_file(setup.archives() / "config.json", config.dump());

  const program_run run = setup.run();

  EXPECT_EQ(run.caption, unexpected_caption);
  EXPECT_NE(run.text.find(L"[json.exception.out_of_range.403] key 'steam_id' not found"), std::wstring::npos);
  EXPECT_EQ(run.exit_code, 3u);
}

TEST(flow, install_path_value_decides_the_game_folder) {
  // An empty file list lets a folder that does not exist count as installed:
  // the exit code alone shows whether the value was used.
  const std::wstring long_folder = L"C:\\" + std::wstring(256, L'a');
  struct row {
    const char* name;
    std::optional<std::wstring> text;  // REG_SZ, or a REG_DWORD when absent
    DWORD expected_exit_code;
  };
  const row rows[] = {
      {"259 characters are used", long_folder, 0},
      {"260 characters do not fit", long_folder + L"b", 2},
      {"REG_DWORD is not a folder", std::nullopt, 2},
      {"empty text is not a folder", L"", 2},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    installer_setup setup;
    ASSERT_EQ(long_folder.size(), 259u);
    if (row.text) {
      setup.registry().set_string(L"InstallPath", *row.text);
    } else {
      setup.registry().set_dword(L"InstallPath", 1);
    }
    EXPECT_EQ(setup.run().exit_code, row.expected_exit_code);
    // Nothing may land beside the installer, where an empty folder would lead.
    EXPECT_EQ(files_below(setup.installer_folder()),
              (std::set<std::string>{"patch_installer.exe", "archives/config.json"}));
  }
}

TEST(flow, locked_destination_is_not_reported_as_success) {
  installer_setup setup;
  setup.register_game_folder();
  write_file(setup.archives() / "readme.txt", "new");
  write_file(setup.game_folder() / "readme.txt", "old");
  const HANDLE locked = ::CreateFileW((setup.game_folder() / "readme.txt").c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);

  const program_run run = setup.run();
  ::CloseHandle(locked);

  EXPECT_EQ(run.caption, unexpected_caption);
  EXPECT_EQ(run.text,
            L"The patch was not installed because of an unexpected error:\n\n"
            L"copying the patch files failed (shell error 1223)");
  EXPECT_EQ(run.exit_code, 3u);
  EXPECT_EQ(read_file(setup.game_folder() / "readme.txt"), "old");
}
