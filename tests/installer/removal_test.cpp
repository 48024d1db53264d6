// A patch installed with keep_originals comes off again: end-to-end runs of
// the real installer under Wine that install, answer the question of the
// next run, stack two patches, and are killed half-way through a removal.
#include "support/sandboxes.hpp"
#include "system/sha256.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

namespace fs = std::filesystem;
using namespace test_support;

namespace {

const std::wstring installed = L"Patch installed. Have fun ;)";
const std::wstring removed = L"The patch was removed. Flow Game has its original files again.";

std::wstring question(const std::wstring& patch) {
  return patch + L" is installed. Remove it and put back the game's original files?";
}

// What a run showed: the first box, the box after the answer, if any.
struct answered_run {
  std::wstring first;
  std::wstring second;
  DWORD exit_code = 0;
};

// Runs the installer, answers its first box with `answer` and dismisses the
// box that follows, if one does.
answered_run run_answering(const installer_sandbox& setup, int answer) {
  gui_program installer(setup.installer_folder() / "patch_installer.exe", setup.root());
  answered_run run;
  const auto first = installer.wait_for_message_box();
  if (!first) {
    throw std::runtime_error("the installer ended without a box");
  }
  run.first = first->text;
  press(first->window, answer);
  // The answered box is not gone at once, and must not count as the next.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (::IsWindow(first->window) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (const auto second = installer.wait_for_message_box()) {
    run.second = second->text;
    press(second->window, IDOK);
  }
  run.exit_code = installer.wait_for_exit();
  return run;
}

// A game with files of its own, read-only ones among them, as a disc
// leaves them.
struct game_with_originals {
  installer_sandbox setup{config("Translation 1.1")};
  fs::path game = setup.game_folder();

  game_with_originals() {
    setup.register_game_folder();
    write_file(game / "readme.txt", "old readme");
    write_file(game / "Data" / "big.dat", std::string(1 << 20, 'o'));
    write_file(game / "Data" / "keep.ini", "untouched");
    set_read_only(game / "Data" / "big.dat");
  }
  static nlohmann::json config(const std::string& patch_name, bool sealed = false) {
    nlohmann::json config = test_game_config();
    config["keep_originals"] = true;
    config["patch_name"] = patch_name;
    if (sealed) {
      config["checksums"] = "SHA256SUMS";
    }
    return config;
  }
  // Makes archives hold exactly `files` (path to bytes) and a config.json
  // naming the patch `patch_name`, with their checksum file when `sealed`.
  void use_patch(const std::string& patch_name, const std::map<std::string, std::string>& files,
                 bool sealed = false) const {
    fs::remove_all(setup.archives());
    write_file(setup.archives() / "config.json", config(patch_name, sealed).dump());
    std::string list;
    for (const auto& [path, bytes] : files) {
      write_file(setup.archives() / path, bytes);
      list += to_hex(sha256().of(bytes)) + "  " + path + "\n";
    }
    if (sealed) {
      write_file(setup.archives() / "SHA256SUMS", list);
    }
  }
};

const std::map<std::string, std::string> translation = {
    {"readme.txt", "translated readme"},
    {"Data/big.dat", std::string(2 << 20, 't')},
    {"New/Deep/added.txt", "added"},
};

}  // namespace

TEST(removal, the_next_run_offers_removal_and_yes_restores_the_game_byte_for_byte) {
  for (const auto& [answer, sealed] : {std::pair{IDYES, false}, {IDNO, false}, {IDYES, true}}) {
    SCOPED_TRACE(std::string(answer == IDYES ? "Yes" : "No") + (sealed ? ", sealed" : ""));
    game_with_originals patched;
    patched.use_patch("Translation 1.1", translation, sealed);
    const auto before = tree_below(patched.game);

    const program_run install = patched.setup.run();
    ASSERT_EQ(install.text, installed);
    EXPECT_EQ(read_file(patched.game / "New" / "Deep" / "added.txt"), "added");
    const auto after_install = tree_below(patched.game);

    const answered_run again = run_answering(patched.setup, answer);

    EXPECT_EQ(again.first, question(L"Translation 1.1"));
    if (answer == IDYES) {
      EXPECT_EQ(again.second, removed);
      EXPECT_EQ(again.exit_code, 5u);
      EXPECT_EQ(tree_below(patched.game), before);
    } else {
      EXPECT_EQ(again.second, L"") << "No means no further box";
      EXPECT_EQ(again.exit_code, 0u);
      EXPECT_EQ(tree_below(patched.game), after_install);
    }
  }
}

// A store's update between install and removal: the repair keeps what the
// update put where the patch's files were as their originals, so that the
// removal leaves the updated game, not one of mixed versions.
TEST(removal, a_repair_after_a_game_update_keeps_the_updated_files_for_the_removal) {
  game_with_originals patched;
  patched.use_patch("Translation 1.1", translation);
  auto updated = tree_below(patched.game);
  ASSERT_EQ(patched.setup.run().text, installed);
  // The update rewrites a patched file and one the patch leaves alone, and
  // brings a file of its own where the patch created one.
  const std::map<std::string, std::string> update = {{"readme.txt", "readme of the game's update"},
                                                     {"Data/keep.ini", "keep.ini of the update"},
                                                     {"New/Deep/added.txt", "the update's own added.txt"}};
  for (const auto& [path, bytes] : update) {
    write_file(patched.game / path, bytes);
    updated[path] = bytes;
  }
  updated["New/"] = updated["New/Deep/"] = "";

  const program_run repair = patched.setup.run();

  EXPECT_EQ(repair.text, installed) << "a changed install is installed again, not offered for removal";
  EXPECT_EQ(read_file(patched.game / "readme.txt"), "translated readme");
  EXPECT_EQ(read_file(patched.game / "New" / "Deep" / "added.txt"), "added");
  const answered_run removal = run_answering(patched.setup, IDYES);
  EXPECT_EQ(removal.first, question(L"Translation 1.1"));
  EXPECT_EQ(removal.exit_code, 5u);
  EXPECT_EQ(tree_below(patched.game), updated);
}

TEST(removal, two_stacked_patches_come_off_in_reverse_order_and_not_the_other_way) {
  game_with_originals patched;
  const std::map<std::string, std::string> first = {{"readme.txt", "first readme"}, {"Data/first.txt", "1"}};
  const std::map<std::string, std::string> second = {
      {"readme.txt", "second readme"}, {"Data/keep.ini", "second ini"}, {"Data/second.txt", "2"}};
  const auto before = tree_below(patched.game);
  patched.use_patch("First patch", first);
  ASSERT_EQ(patched.setup.run().text, installed);
  const auto with_first = tree_below(patched.game);
  patched.use_patch("Second patch", second);
  ASSERT_EQ(patched.setup.run().text, installed);
  const auto with_both = tree_below(patched.game);

  // The second patch covers the first's readme: the first is on, but cannot
  // come off.
  patched.use_patch("First patch", first);
  const answered_run refused = run_answering(patched.setup, IDYES);
  EXPECT_EQ(refused.first, question(L"First patch"));
  EXPECT_EQ(refused.second,
            L"First patch cannot be removed: Second patch has since replaced readme.txt, one of this patch's "
            L"files. Remove Second patch first, then run this installer again.");
  EXPECT_EQ(refused.exit_code, 3u);
  EXPECT_EQ(tree_below(patched.game), with_both);

  patched.use_patch("Second patch", second);
  EXPECT_EQ(run_answering(patched.setup, IDYES).exit_code, 5u);
  EXPECT_EQ(tree_below(patched.game), with_first);
  patched.use_patch("First patch", first);
  EXPECT_EQ(run_answering(patched.setup, IDYES).exit_code, 5u);
  EXPECT_EQ(tree_below(patched.game), before);
}

// Whether a removal under way in `game` has reached `stage`: moving the
// patch's files out (0) or putting the originals back (1).
bool removal_reached(const fs::path& game, int stage) {
  for (const auto& entry : fs::directory_iterator(game / ".patch-backup")) {
    if (entry.path().extension() != ".removing") {
      continue;
    }
    if (stage == 0) {
      return true;
    }
    const fs::path originals = entry.path() / "originals" / "Voices";
    const auto left = std::distance(fs::directory_iterator(originals), fs::directory_iterator());
    return left > 0 && left < 1500;
  }
  return false;
}

TEST(removal, a_removal_killed_half_way_leaves_the_patch_on_for_the_next_run_to_remove) {
  for (const int stage : {0, 1}) {
    SCOPED_TRACE(stage == 0 ? "killed while the patch's files move out" : "killed while originals come back");
    game_with_originals patched;
    std::map<std::string, std::string> many = translation;
    // Enough files that taking them off takes a while under Wine.
    for (int file = 0; file < 1500; ++file) {
      many["Voices/line" + std::to_string(file) + ".ogg"] = "voice " + std::to_string(file);
      write_file(patched.game / "Voices" / ("line" + std::to_string(file) + ".ogg"), "original voice");
    }
    patched.use_patch("Translation 1.1", many);
    const auto before = tree_below(patched.game);
    ASSERT_EQ(patched.setup.run().text, installed);
    const auto after_install = tree_below(patched.game);
    bool caught = false;
    {
      gui_program installer(patched.setup.installer_folder() / "patch_installer.exe", patched.setup.root());
      const auto box = installer.wait_for_message_box();
      ASSERT_TRUE(box);
      press(box->window, IDYES);
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      while (!caught && std::chrono::steady_clock::now() < deadline) {
        caught = removal_reached(patched.game, stage);
      }
    }  // killed here, like a run ended from the task manager
    ASSERT_TRUE(caught) << "the removal ended before it could be killed";

    // The next run undoes the half-done removal: the patch is on, whole.
    const answered_run no = run_answering(patched.setup, IDNO);
    EXPECT_EQ(no.first, question(L"Translation 1.1"));
    EXPECT_EQ(tree_below(patched.game), after_install);
    EXPECT_EQ(run_answering(patched.setup, IDYES).exit_code, 5u);
    EXPECT_EQ(tree_below(patched.game), before);
  }
}
