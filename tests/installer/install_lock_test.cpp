// Two installers for one game folder started a moment apart, as a double
// click too many starts them: end-to-end runs of the real installer under
// Wine.
#include "support/sandboxes.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>

namespace fs = std::filesystem;
using namespace test_support;

namespace {

const std::wstring installed = L"Patch installed. Have fun ;)";

constexpr int patch_files = 60;
constexpr int replaced_files = 20;

// The game as it was before the patch: the files the patch replaces, and
// one of its own.
void install_unpatched_game(const fs::path& game) {
  fs::remove_all(game);
  for (int file = 0; file < replaced_files; ++file) {
    write_file(game / "Data" / ("file" + std::to_string(file) + ".dat"), "the game's original");
  }
  write_file(game / "keep.txt", "the game's own");
}

// Each entry of tree_below with a hash of its bytes, which a failure can
// print.
std::map<std::string, std::size_t> fingerprint(const fs::path& folder) {
  std::map<std::string, std::size_t> hashes;
  for (const auto& [name, bytes] : tree_below(folder)) {
    hashes[name] = std::hash<std::string>()(bytes);
  }
  return hashes;
}

// Waits for the box of `program`, presses OK; what it showed and returned.
program_run finish(gui_program& program) {
  program_run run;
  if (const auto box = program.wait_for_message_box()) {
    run.box_shown = true;
    run.text = box->text;
    press(box->window, IDOK);
  }
  run.exit_code = program.wait_for_exit();
  return run;
}

}  // namespace

TEST(install_lock, a_second_installer_started_meanwhile_never_leaves_a_half_patched_game) {
  installer_sandbox setup;
  setup.register_game_folder();
  const fs::path game = setup.game_folder();
  const fs::path installer = setup.installer_folder() / "patch_installer.exe";
  for (int file = 0; file < patch_files; ++file) {
    write_file(setup.archives() / "Data" / ("file" + std::to_string(file) + ".dat"),
               std::string(256 << 10, static_cast<char>('a' + file % 26)));
  }
  const std::wstring busy = L"Another patch installer is installing into " + game.native() +
                            L" right now. Please run this installer again when that one has finished.";

  // One run alone, to spread the second start over a run's whole life.
  install_unpatched_game(game);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(setup.run().text, installed);
  const auto one_run = std::chrono::steady_clock::now() - start;
  const auto patched = fingerprint(game);

  constexpr int rounds = 24;
  int refused = 0;
  for (int round = 0; round < rounds; ++round) {
    SCOPED_TRACE("second start after " + std::to_string(round) + "/" + std::to_string(rounds) + " of a run");
    install_unpatched_game(game);
    gui_program first(installer, setup.root());
    std::this_thread::sleep_for(one_run * round / rounds);
    gui_program second(installer, setup.root());

    // Whichever lost the race shows its box at once and waits for OK
    // without holding up the other.
    int installs = 0;
    for (const program_run& run : {finish(second), finish(first)}) {
      if (run.text == installed) {
        EXPECT_EQ(run.exit_code, 0u);
        ++installs;
      } else {
        EXPECT_EQ(run.text, busy) << fs::path(run.text).string();
        EXPECT_EQ(run.exit_code, 3u);
        ++refused;
      }
    }
    EXPECT_GE(installs, 1);
    EXPECT_EQ(fingerprint(game), patched);
  }
  EXPECT_GT(refused, 0) << "the two runs never met";
}
