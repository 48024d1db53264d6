// A patch sealed with a checksum file: end-to-end runs of the real installer
// under Wine, which checks every file of the patch before anything else.
#include "support/sandboxes.hpp"
#include "system/sha256.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

namespace fs = std::filesystem;
using namespace test_support;

namespace {

const std::wstring advice =
    L".\n\nExtract the whole download again and run the installer from the extracted folder. If your "
    L"antivirus removed or quarantined this file, restore it or allow it, then run the installer again.";

nlohmann::json sealed_config() {
  nlohmann::json config = test_game_config();
  config["checksums"] = "SHA256SUMS";
  return config;
}

// A game, and a patch sealed by its SHA256SUMS, with one file beside it that
// the seal does not list.
struct sealed_game {
  installer_sandbox setup{sealed_config()};
  fs::path game = setup.game_folder();

  sealed_game() {
    setup.register_game_folder();
    write_file(game / "readme.txt", "the game's readme");
    write_file(setup.archives() / "readme.txt", "the patch's readme");
    write_file(setup.archives() / "Data" / "dinput8.dll", "a wrapper DLL that antiviruses take");
    write_file(setup.archives() / "Data" / "big.dat", std::string(3 << 20, 'b'));
    write_file(setup.archives() / "notes.txt", "not part of the seal");
    std::string list;
    const sha256 hasher;
    for (const char* file : {"readme.txt", "Data/dinput8.dll", "Data/big.dat"}) {
      list += to_hex(*hasher.of_file(setup.archives() / file)) + "  " + file + "\n";
    }
    write_file(setup.archives() / "SHA256SUMS", list);
  }
};

}  // namespace

TEST(sealed_patch, only_an_intact_patch_is_installed) {
  struct row {
    const char* name;
    std::function<void(const sealed_game&)> damage;
    std::wstring expected;  // the box's text, "" for "Patch installed"
  };
  const row rows[] = {
      {"intact", [](const sealed_game&) {}, L""},
      {"a file deleted",
       [](const sealed_game& sealed) { fs::remove(sealed.setup.archives() / "Data" / "dinput8.dll"); },
       L"The patch is incomplete or damaged: archives\\Data\\dinput8.dll is missing" + advice},
      {"a byte changed",
       [](const sealed_game& sealed) {
         std::string bytes = read_file(sealed.setup.archives() / "Data" / "big.dat");
         bytes[1 << 20] = 'c';
         write_file(sealed.setup.archives() / "Data" / "big.dat", bytes);
       },
       L"The patch is incomplete or damaged: archives\\Data\\big.dat is not the file that the patch was made "
       L"with" +
           advice},
      {"the checksum file deleted",
       [](const sealed_game& sealed) { fs::remove(sealed.setup.archives() / "SHA256SUMS"); },
       L"The patch is incomplete or damaged: archives\\SHA256SUMS, the list of the patch's files, is "
       L"missing" +
           advice},
      {"a line of another format",
       [](const sealed_game& sealed) {
         write_file(sealed.setup.archives() / "SHA256SUMS",
                    read_file(sealed.setup.archives() / "SHA256SUMS") + "MD5 (readme.txt) = 0\n");
       },
       L"The patch was not installed because of an unexpected error:\n\narchives\\SHA256SUMS: line 4: "
       L"expected "
       L"64 hexadecimal digits, two spaces (or a space and '*') and the file's path"},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    sealed_game sealed;
    row.damage(sealed);
    const auto before = tree_below(sealed.game);

    const program_run run = sealed.setup.run();

    if (row.expected.empty()) {
      EXPECT_EQ(run.text, L"Patch installed. Have fun ;)");
      EXPECT_EQ(run.exit_code, 0u);
      // Only the files the seal lists are the patch.
      EXPECT_EQ(files_below(sealed.game),
                (std::set<std::string>{"readme.txt", "Data/dinput8.dll", "Data/big.dat"}));
      EXPECT_EQ(read_file(sealed.game / "readme.txt"), "the patch's readme");
      continue;
    }
    EXPECT_EQ(run.caption, L"Patch installer");
    EXPECT_EQ(run.text, row.expected) << fs::path(run.text).string();
    EXPECT_EQ(run.exit_code, 3u);
    EXPECT_EQ(tree_below(sealed.game), before);
  }
}

// The seal may name a file below a folder link in archives that leads out
// of it; that file must never reach the game.
TEST(sealed_patch, a_file_reached_through_a_link_out_of_archives_is_refused) {
  sealed_game sealed;
  write_file(sealed.setup.root() / "Elsewhere" / "secret.txt", "not the patch's");
  make_unix_link(sealed.setup.archives() / "Data" / "Linked", "../../../Elsewhere");
  write_file(sealed.setup.archives() / "SHA256SUMS", read_file(sealed.setup.archives() / "SHA256SUMS") +
                                                         to_hex(sha256().of("not the patch's")) +
                                                         "  Data/Linked/secret.txt\n");
  const auto before = tree_below(sealed.game);

  const program_run run = sealed.setup.run();

  EXPECT_EQ(run.text.substr(0, run.text.find(L" lies below a link")),
            L"The patch was not installed because of an unexpected error:\n\nthe patch file " +
                (sealed.setup.archives() / "Data" / "Linked" / "secret.txt").native());
  EXPECT_EQ(run.exit_code, 3u);
  EXPECT_EQ(tree_below(sealed.game), before);
}

TEST(sealed_patch, a_long_check_shows_the_progress_window_whose_cancel_changes_nothing) {
  sealed_game sealed;
  // 4 GiB that take no room (a sparse file) and seconds to read; the seal's
  // hash for it is never reached when the player cancels.
  const fs::path huge = sealed.setup.archives() / "Movies" / "intro.bik";
  write_file(huge, "");
  fs::resize_file(huge, 4ull << 30);
  write_file(sealed.setup.archives() / "SHA256SUMS", read_file(sealed.setup.archives() / "SHA256SUMS") +
                                                         std::string(64, '0') + "  Movies/intro.bik\n");
  const auto before = tree_below(sealed.game);

  gui_program installer(sealed.setup.installer_folder() / "patch_installer.exe", sealed.setup.root());
  const HWND progress = installer.wait_for_window(L"Flow Game patch installer");
  ASSERT_TRUE(progress) << "the installer ended without showing its progress window";
  EXPECT_FALSE(::GetDlgItem(progress, 0xFFFF)) << "a message box came instead of the progress window";
  press(progress, IDCANCEL);

  EXPECT_FALSE(installer.wait_for_message_box()) << "a box followed the cancel";
  EXPECT_EQ(installer.wait_for_exit(), 3u);
  EXPECT_EQ(tree_below(sealed.game), before);
}
