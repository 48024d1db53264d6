// A copy that does not finish leaves the game as it was: end-to-end runs of
// the real installer under Wine that fail, are refused or are killed.
#include "support/sandboxes.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace test_support;

namespace {

const std::wstring game_unchanged = L"The patch was not installed. The game is as it was before:\n\n";
const std::wstring not_installed = L"The patch was not installed because of an unexpected error:\n\n";

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
  // The patch files in the order the installer lists them.
  std::vector<fs::path> patch_files() const {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(setup.archives())) {
      if (!entry.is_directory() && entry.path().filename() != "config.json") {
        files.push_back(entry.path());
      }
    }
    return files;
  }
  fs::path destination_of(const fs::path& patch_file) const {
    return game / patch_file.lexically_relative(setup.archives());
  }
};

unique_hfile open_without_sharing(const fs::path& file) {
  unique_hfile handle(::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!handle) {
    throw std::runtime_error("cannot open " + file.string());
  }
  return handle;
}

}  // namespace

TEST(rollback, a_copy_that_fails_part_way_leaves_the_game_as_it_was) {
  for (const bool read_only : {false, true}) {
    SCOPED_TRACE(read_only ? "read-only patch files and originals" : "writable files");
    patched_game patched;
    write_file(patched.setup.archives() / "Data" / "Maps" / "harbor.map", "map");
    const std::vector<fs::path> files = patched.patch_files();
    if (read_only) {
      // The copies keep the attribute, and must still be deleted.
      for (const fs::path& file : files) {
        set_read_only(file);
      }
      set_read_only(patched.game / "readme.txt");
      set_read_only(patched.game / "Data" / "big.dat");
    }
    const auto before = tree_below(patched.game);
    program_run run;
    {
      // The shell copies every other file first, then cannot read this one.
      const unique_hfile locked = open_without_sharing(files.back());
      run = patched.setup.run();
    }

    EXPECT_EQ(run.caption, L"Patch installer");
    const std::wstring expected = game_unchanged + L"copying the patch files failed (shell error ";
    EXPECT_EQ(run.text.substr(0, expected.size()), expected) << fs::path(run.text).string();
    EXPECT_EQ(run.exit_code, 3u);
    EXPECT_EQ(tree_below(patched.game), before);
  }
}

TEST(rollback, a_patch_that_cannot_be_staged_is_refused_before_anything_changes) {
  struct row {
    const char* name;
    // Sets the game and the patch up; returns the box's text.
    std::function<std::wstring(const patched_game&)> arrange;
    const char* held_open = nullptr;  // a game file that another program holds open
  };
  const row rows[] = {
      {"a game file in use",
       [](const patched_game& patched) {
         return game_unchanged + L"the game file " + (patched.game / "Data" / "big.dat").native() +
                L" could not be moved aside (error 32: Sharing violation.)";  // Wine's words for the code
       },
       "Data/big.dat"},
      {"a patch file in the staging folder, in another letter case",
       [](const patched_game& patched) {
         const fs::path file =
             write_file(patched.setup.archives() / ".PATCH-ROLLBACK" / "Data" / "big.dat", "x");
         return not_installed + L"the patch file " + file.native() +
                L" would land in the installer's staging folder";
       }},
      {"a patch file in the folder of committed originals",
       [](const patched_game& patched) {
         const fs::path file = write_file(patched.setup.archives() / ".patch-rollback.Done" / "a.txt", "x");
         return not_installed + L"the patch file " + file.native() +
                L" would land in the installer's staging folder";
       }},
      {"a patch file in the folder of kept originals, a record that later runs would trust",
       [](const patched_game& patched) {
         const fs::path file = write_file(
             patched.setup.archives() / ".Patch-Backup" / "0123456789abcdef" / "record.json", "{}");
         return not_installed + L"the patch file " + file.native() +
                L" would land in the installer's staging folder";
       }},
      {"a folder where a patch file goes",
       [](const patched_game& patched) {
         write_file(patched.game / "Data" / "harbor.map" / "inside.txt", "the game's own");
         write_file(patched.setup.archives() / "Data" / "harbor.map", "map");
         return game_unchanged + L"a folder stands where the patch file " +
                (patched.game / "Data" / "harbor.map").native() + L" goes";
       }},
      {"a file where the patch needs a folder",
       [](const patched_game& patched) {
         write_file(patched.game / "New", "a file named like the patch's folder");
         return game_unchanged + L"a file stands where the patch needs the folder " +
                (patched.game / "New").native();
       }},
      {"a destination that Windows cannot examine",
       [](const patched_game& patched) {
         make_unix_link(patched.game / "Data" / "loop.dat", "loop.dat");  // a link to itself
         write_file(patched.setup.archives() / "Data" / "loop.dat", "loop");
         return game_unchanged + L"the game file " + (patched.game / "Data" / "loop.dat").native() +
                L" could not be examined (error 1921: The filename cannot be resolved.)";
       }},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    patched_game patched;
    const std::wstring expected = row.arrange(patched);
    const auto before = tree_below(patched.game);
    program_run run;
    {
      unique_hfile held;
      if (row.held_open) {
        held = open_without_sharing(patched.game / row.held_open);
      }
      run = patched.setup.run();
    }

    EXPECT_EQ(run.caption, L"Patch installer");
    EXPECT_EQ(run.text, expected) << fs::path(run.text).string();
    EXPECT_EQ(run.exit_code, 3u);
    EXPECT_EQ(tree_below(patched.game), before);
  }
}

TEST(rollback, a_file_that_is_missing_after_the_copy_is_not_reported_as_installed) {
  // The shell answers success when the player skips a file in its error
  // dialog; here another program deletes a copy that the shell has made.
  patched_game patched;
  for (int file = 0; file < 20; ++file) {
    write_file(patched.setup.archives() / "Movies" / ("clip" + std::to_string(file) + ".bik"),
               std::string(2 << 20, 'm'));
  }
  const std::vector<fs::path> files = patched.patch_files();
  const fs::path first = patched.destination_of(files[0]);
  const fs::path second = patched.destination_of(files[1]);
  const auto before = tree_below(patched.game);
  std::atomic<bool> done = false;
  std::thread deleter([&] {
    // Once the shell has moved on to the second file, it is done with the
    // first.
    while (!done && !fs::exists(second)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    while (!done && !::DeleteFileW(first.c_str())) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });

  const program_run run = patched.setup.run();
  done = true;
  deleter.join();

  EXPECT_EQ(run.text,
            game_unchanged + L"copying the patch files ended, but " + first.native() + L" is missing");
  EXPECT_EQ(run.exit_code, 3u);
  EXPECT_EQ(tree_below(patched.game), before);
}

TEST(rollback, read_only_originals_are_replaced_for_good) {
  installer_sandbox setup;
  setup.register_game_folder();
  const fs::path game = setup.game_folder();
  set_read_only(write_file(game / "Data" / "a.dat", "the game's original"));
  write_file(setup.archives() / "Data" / "a.dat", "the first patch");

  const program_run first = setup.run();

  EXPECT_EQ(first.text, L"Patch installed. Have fun ;)");
  EXPECT_EQ(files_below(game), (std::set<std::string>{"Data/a.dat"}));
  EXPECT_FALSE(fs::exists(game / ".patch-rollback"));
  EXPECT_FALSE(fs::exists(game / ".patch-rollback.done"));

  // The next patch of the game must not take anything the first run left
  // for a killed run's originals.
  fs::remove(setup.archives() / "Data" / "a.dat");
  write_file(setup.archives() / "readme.txt", "the second patch");
  const program_run second = setup.run();

  EXPECT_EQ(second.text, L"Patch installed. Have fun ;)");
  EXPECT_EQ(read_file(game / "Data" / "a.dat"), "the first patch");
  EXPECT_EQ(read_file(game / "readme.txt"), "the second patch");
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
