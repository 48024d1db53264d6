// A copy that does not finish leaves the game as it was: end-to-end runs of
// the real installer under Wine that fail, are refused or are killed.
#include "support/sandboxes.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace fs = std::filesystem;
using namespace test_support;

namespace {

const std::wstring game_unchanged = L"The patch was not installed. The game is as it was before:\n\n";

// A game with files of its own, some of which the patch replaces.
struct patched_game {
  installer_sandbox setup;
  fs::path game = setup.game_folder();

  patched_game() {
    setup.register_game_folder();
    write_file(game / "readme.txt", "old readme");
    write_file(game / "Data" / "big.dat", "old big");
    write_file(game / "Data" / "keep.ini", "untouched");
    write_file(setup.archives() / "readme.txt", "new readme");
    write_file(setup.archives() / "Data" / "big.dat", std::string(3 << 20, 'b'));
    write_file(setup.archives() / "New" / "Deep" / "added.txt", "added");
  }
};

unique_handle open_without_sharing(const fs::path& file) {
  unique_handle handle(::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  if (handle.get() == INVALID_HANDLE_VALUE) {
    throw std::runtime_error("cannot open " + file.string());
  }
  return handle;
}

// The last patch file in the order the installer lists them.
fs::path last_patch_file(const fs::path& archives) {
  fs::path last;
  for (const auto& entry : fs::recursive_directory_iterator(archives)) {
    if (!entry.is_directory() && entry.path().filename() != "config.json") {
      last = entry.path();
    }
  }
  return last;
}

}  // namespace

TEST(rollback, a_copy_that_fails_part_way_leaves_the_game_as_it_was) {
  patched_game patched;
  write_file(patched.setup.archives() / "Data" / "Maps" / "harbor.map", "map");
  const auto before = tree_below(patched.game);
  program_run run;
  {
    // The shell copies every other file first, then cannot read this one.
    const unique_handle locked = open_without_sharing(last_patch_file(patched.setup.archives()));
    run = patched.setup.run();
  }

  EXPECT_EQ(run.caption, L"Patch installer");
  const std::wstring expected = game_unchanged + L"copying the patch files failed (shell error ";
  EXPECT_EQ(run.text.substr(0, expected.size()), expected);
  EXPECT_EQ(run.exit_code, 3u);
  EXPECT_EQ(tree_below(patched.game), before);
}

TEST(rollback, a_game_file_in_use_stops_the_run_before_anything_is_copied) {
  patched_game patched;
  const auto before = tree_below(patched.game);
  program_run run;
  {
    const unique_handle in_use = open_without_sharing(patched.game / "Data" / "big.dat");
    run = patched.setup.run();
  }

  EXPECT_EQ(run.caption, L"Patch installer");
  EXPECT_EQ(run.text, game_unchanged + L"the game file " + (patched.game / "Data" / "big.dat").native() +
                          L" could not be moved aside (error 32)");
  EXPECT_EQ(run.exit_code, 3u);
  EXPECT_EQ(tree_below(patched.game), before);
}

TEST(rollback, the_next_run_puts_back_what_a_killed_run_moved_and_installs_the_whole_patch) {
  patched_game patched;
  // Large enough that the copy takes seconds under Wine.
  for (int file = 0; file < 60; ++file) {
    write_file(patched.setup.archives() / "Movies" / ("clip" + std::to_string(file) + ".bik"),
               std::string(2 << 20, static_cast<char>('a' + file % 26)));
  }
  const fs::path staging = patched.game / ".patch-rollback";
  {
    gui_program installer(patched.setup.installer_folder() / "patch_installer.exe", patched.setup.root());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (files_below(patched.game / "Movies").empty() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }  // killed here, like a run ended from the task manager
  ASSERT_TRUE(fs::exists(staging)) << "the copy ended before it could be killed";
  EXPECT_EQ(read_file(staging / "Data" / "big.dat"), "old big");

  const program_run run = patched.setup.run();

  EXPECT_EQ(run.text, L"Patch installed. Have fun ;)");
  EXPECT_EQ(run.exit_code, 0u);
  std::set<std::string> expected = files_below(patched.setup.archives());
  expected.erase("config.json");
  expected.insert("Data/keep.ini");
  EXPECT_EQ(files_below(patched.game), expected);
  for (const std::string& file : files_below(patched.setup.archives())) {
    if (file != "config.json") {
      EXPECT_EQ(read_file(patched.game / file), read_file(patched.setup.archives() / file)) << file;
    }
  }
  EXPECT_EQ(read_file(patched.game / "Data" / "keep.ini"), "untouched");
  EXPECT_FALSE(fs::exists(staging));
}
