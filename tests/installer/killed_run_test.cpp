// Installs ended part-way, as a crash, a power cut or the task manager ends
// them, at named steps of the real installer under Wine: the next run finds
// the game as it was, whatever it does after that.
#include "support/sandboxes.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cwctype>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>

namespace fs = std::filesystem;
using namespace test_support;

namespace {

const std::wstring installed = L"Patch installed. Have fun ;)";
const std::wstring game_unchanged = L"The patch was not installed. The game is as it was before:\n\n";

// Each entry of tree_below with a hash of its bytes, which a failure can
// print.
std::map<std::string, std::size_t> fingerprint(const fs::path& folder) {
  std::map<std::string, std::size_t> hashes;
  for (const auto& [name, bytes] : tree_below(folder)) {
    hashes[name] = std::hash<std::string>()(bytes);
  }
  return hashes;
}

// A game with 40 files of its own, a quarter of them read-only as a disc
// leaves them, and a patch of 300 files: 40 replace the game's, the others
// are new, in folders the game does not have.
struct game_and_patch {
  installer_sandbox setup;
  fs::path game = setup.game_folder();

  explicit game_and_patch(bool keep_originals) : setup(config(keep_originals)) {
    setup.register_game_folder();
    write_file(game / "Game.exe", "the game itself");
    for (int file = 0; file < 40; ++file) {
      const fs::path path = game / "Data" / ("file" + std::to_string(file) + ".dat");
      write_file(path, "the game's original " + std::to_string(file));
      if (file % 4 == 0) {
        set_read_only(path);
      }
    }
    for (int file = 0; file < 300; ++file) {
      const fs::path path = file < 40 ? fs::path("Data") / ("file" + std::to_string(file) + ".dat")
                                      : fs::path("Voices") / std::to_string(file % 7) /
                                            ("line" + std::to_string(file) + ".ogg");
      write_file(setup.archives() / path, "the patch's " + std::to_string(file) + std::string(4096, 'p'));
    }
  }
  static nlohmann::json config(bool keep_originals) {
    nlohmann::json config = test_game_config();
    config["keep_originals"] = keep_originals;
    return config;
  }
  fs::path installer() const { return setup.installer_folder() / "patch_installer.exe"; }
};

// Starts the installer and ends it at `step` (a step of its test hook, or
// "copying" for the middle of its shell copy), as a crash would.
void kill_at(const game_and_patch& patched, const std::wstring& step) {
  if (step == L"copying") {
    gui_program installer(patched.installer(), patched.setup.root());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(patched.game / "Voices") && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(fs::exists(patched.game / "Voices")) << "the copy never began";
    return;  // killed here
  }
  const paused_step pause(step);
  gui_program installer(patched.installer(), patched.setup.root());
  ASSERT_TRUE(pause.reached()) << "the installer never reached the step";
}  // killed here, then the step is let go of

// Runs the installer, answers its question with Yes and dismisses the box
// that follows; the exit code.
DWORD take_patch_off(const game_and_patch& patched) {
  gui_program installer(patched.installer(), patched.setup.root());
  const auto question = installer.wait_for_message_box();
  EXPECT_TRUE(question) << "no question whether to remove the patch";
  if (!question) {
    return installer.wait_for_exit();
  }
  press(question->window, IDYES);
  while (::IsWindow(question->window)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (const auto box = installer.wait_for_message_box()) {
    press(box->window, IDOK);
  }
  return installer.wait_for_exit();
}

// From the list of what the run creates to the commit's last rename.
const std::wstring steps[] = {L"staged", L"moving-aside", L"moved-aside", L"copying",   L"copied",
                              L"hashed", L"recording",    L"recorded",    L"committing"};

}  // namespace

// Whatever a killed install that keeps originals had done, the next run
// installs over a game as it was, keeps only the game's own originals, and
// the removal gives back the game byte for byte.
TEST(killed_run, a_kept_install_killed_anywhere_comes_off_again_byte_for_byte) {
  for (const std::wstring& step : steps) {
    SCOPED_TRACE(fs::path(step).string());
    const game_and_patch patched(true);
    const auto before = fingerprint(patched.game);

    kill_at(patched, step);
    EXPECT_EQ(patched.setup.run().text, installed);
    EXPECT_EQ(take_patch_off(patched), 5u);

    EXPECT_EQ(fingerprint(patched.game), before);
  }
}

// A run after a killed install that fails itself (a file of the patch is
// held open by another program) leaves the game as it was before the killed
// run, with none of the files that run created.
TEST(killed_run, a_failed_run_after_a_killed_install_leaves_the_game_as_it_was) {
  for (const wchar_t* step : {L"staged", L"moved-aside", L"copying", L"copied"}) {
    SCOPED_TRACE(fs::path(step).string());
    const game_and_patch patched(false);
    const auto before = fingerprint(patched.game);
    kill_at(patched, step);
    const fs::path held = patched.setup.archives() / "Voices" / "3" / "line101.ogg";
    const unique_hfile open(::CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(open);

    const program_run run = patched.setup.run();

    EXPECT_EQ(run.text.substr(0, game_unchanged.size()), game_unchanged) << fs::path(run.text).string();
    EXPECT_EQ(run.exit_code, 3u);
    EXPECT_EQ(fingerprint(patched.game), before);
  }
}

// The shell can answer done for a copy that left a file short; the check
// after the copy compares sizes, not only names.
TEST(killed_run, a_destination_cut_short_is_caught_and_undone) {
  const game_and_patch patched(false);
  const auto before = fingerprint(patched.game);
  const fs::path shortened = patched.game / "Data" / "file7.dat";
  program_run run;
  {
    const paused_step pause(L"copied");
    gui_program installer(patched.installer(), patched.setup.root());
    ASSERT_TRUE(pause.reached());
    write_file(shortened, "cut");
    pause.go();
    const auto box = installer.wait_for_message_box();
    ASSERT_TRUE(box);
    run.text = box->text;
    press(box->window, IDOK);
    run.exit_code = installer.wait_for_exit();
  }
  const auto size = fs::file_size(patched.setup.archives() / "Data" / "file7.dat");
  EXPECT_EQ(run.text, game_unchanged + L"copying the patch files ended, but " + shortened.native() +
                          L" holds 3 bytes instead of " + std::to_wstring(size));
  EXPECT_EQ(run.exit_code, 3u);
  EXPECT_EQ(fingerprint(patched.game), before);
}

// One game folder reached by two spellings, another letter case and a drive
// letter that stands for its parent, is one folder: a second installer
// started meanwhile waits its turn instead of changing the game under the
// first.
TEST(killed_run, the_install_lock_holds_for_every_spelling_of_the_game_folder) {
  const game_and_patch patched(false);
  const scoped_wine_drive drive(L'P', patched.game.parent_path());
  std::wstring upper = patched.game.native();
  std::transform(upper.begin(), upper.end(), upper.begin(), [](wchar_t c) { return std::towupper(c); });
  for (const fs::path& spelling : {fs::path(upper), fs::path(L"P:\\") / patched.game.filename()}) {
    SCOPED_TRACE(spelling.string());
    const paused_step pause(L"staged");
    gui_program first(patched.installer(), patched.setup.root());
    ASSERT_TRUE(pause.reached());
    patched.setup.registry().set_string(L"InstallPath", spelling.native());

    const program_run second = patched.setup.run();

    EXPECT_NE(second.text.find(L"Another patch installer is installing"), std::wstring::npos)
        << fs::path(second.text).string();
    EXPECT_EQ(second.exit_code, 3u);
    patched.setup.registry().set_string(L"InstallPath", patched.game.native());
  }  // the first is killed: the next test's run finds its game put right
}
