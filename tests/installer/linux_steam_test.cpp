// End-to-end runs of the real installer as a Steam Deck player runs it: under
// Wine, in a prefix whose registry names no Steam, with Steam for Linux (and
// Heroic for Linux) in the Unix home that Wine names in WINEHOMEDIR.
#include "support/sandboxes.hpp"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;
using namespace test_support;

namespace {

const std::string no_steam_path = "attempt to get Steam install path returned status 0x00000002 and path ";

// A folder that one of Wine's variables names ("\??\Z:\home\deck"), as the
// installer reads it.
fs::path wine_folder(const wchar_t* name) {
  std::array<wchar_t, 32768> value{};
  ::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
  const std::wstring_view text(value.data());
  return text.starts_with(L"\\??\\") ? fs::path(text.substr(4)) : fs::path();
}

// A Linux machine as Wine shows it to the installer: the Unix home that
// run_in_linux_home.sh made for the tests, with the folders of Steam and
// Heroic for Linux below it cleared before and after; a folder that stands
// for a microSD card (/run/media/mmcblk0p1); and no Steam in the prefix's
// registry (the sandbox removes Steam's key).
struct linux_machine {
  installer_sandbox setup;
  steam_sandbox steam;
  temp_folder disk;
  fs::path home = wine_folder(L"WINEHOMEDIR");
  fs::path sd_card = disk.path() / "run" / "media" / "mmcblk0p1";

  explicit linux_machine(const nlohmann::json& config = test_game_config()) : setup(config) {
    if (!fs::exists(home / ".patch-installer-test-home")) {
      throw std::runtime_error("not in the tests' own Unix home: run through run_in_linux_home.sh");
    }
    clear_home();
    fs::create_directories(sd_card);
    write_file(setup.archives() / "readme.txt", "new");
  }
  ~linux_machine() {
    try {
      clear_home();
    } catch (const std::exception&) {
      // The next test clears it first.
    }
  }
  linux_machine(const linux_machine&) = delete;
  linux_machine& operator=(const linux_machine&) = delete;

  void clear_home() const {
    for (const char* folder : {".steam", ".local", ".var", "snap", ".config"}) {
      remove_unix_tree(home / folder);
    }
  }
  // The Unix path of `folder`, which it makes when missing.
  static std::string unix(const fs::path& folder) {
    fs::create_directories(folder);
    return unix_path_of(folder);
  }
  // The folder `relative` ('/' between folders) below the home.
  fs::path at(const std::string& relative) const { return (home / relative).make_preferred(); }
  // Steam for Linux in `root` (below the home), whose library list names
  // `libraries` as Steam for Linux writes them: Unix paths. The list has
  // room for three; the rest name a folder that is not there.
  fs::path steam_root(const std::string& root, const std::vector<std::string>& libraries) const {
    std::string list = test_data("libraryfolders-linux-sdcard-template.vdf");
    for (std::size_t index = 0; index < 3; ++index) {
      const std::string mark = "@LIBRARY" + std::to_string(index) + "@";
      list.replace(list.find(mark), mark.size(), index < libraries.size() ? libraries[index] : "/unused");
    }
    write_file(at(root) / "steamapps" / "libraryfolders.vdf", list);
    return at(root);
  }
  // Steam's own link ~/.steam/steam to ~/.local/share/Steam.
  void link_steam_root() const {
    fs::create_directories(home / ".steam");
    make_unix_link(home / ".steam" / "steam", "../.local/share/Steam");
  }
  std::string log() const { return read_file(setup.root() / "install_log.log"); }
};

std::string lines(const std::vector<std::string>& each) {
  std::string joined;
  for (const std::string& line : each) {
    joined += line + "\r\n";
  }
  return joined;
}

std::string found(const fs::path& library, bool found) {
  return "manifest found in " + library.string() + (found ? ": true" : ": false");
}

void expect_installed(const linux_machine& pc, const fs::path& game, const std::string& log) {
  const program_run run = pc.setup.run();
  EXPECT_EQ(run.text, L"Patch installed. Have fun ;)");
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_EQ(read_file(game / "readme.txt"), "new");
  EXPECT_EQ(pc.log(), log);
}

}  // namespace

TEST(linux_steam, the_game_is_found_in_steam_for_linux_through_wine) {
  struct row {
    const char* name;
    // Sets the machine up; returns the game's folder and the whole log.
    std::function<std::pair<fs::path, std::string>(linux_machine&)> arrange;
  };
  const row rows[] = {
      {"~/.steam/steam, Steam's own link, and the game on the microSD card",
       [](linux_machine& pc) {
         const fs::path root =
             pc.steam_root(".local/share/Steam", {pc.unix(pc.at(".local/share/Steam")), pc.unix(pc.sd_card)});
         pc.link_steam_root();
         const fs::path game = pc.steam.install_game(pc.sd_card, "Kinglet");
         return std::pair(game, lines({no_steam_path, "Steam for Linux in " + pc.at(".steam/steam").string(),
                                       found(root, false), found(pc.sd_card, true)}));
       }},
      {"the Flatpak's Steam",
       [](linux_machine& pc) {
         const std::string flatpak = ".var/app/com.valvesoftware.Steam/.local/share/Steam";
         const fs::path root = pc.steam_root(flatpak, {pc.unix(pc.at(flatpak)), pc.unix(pc.sd_card)});
         const fs::path game = pc.steam.install_game(pc.sd_card, "Kinglet");
         return std::pair(game, lines({no_steam_path, "Steam for Linux in " + root.string(),
                                       found(root, false), found(pc.sd_card, true)}));
       }},
      {"a library that is not there, one named by no full Unix path, a list read twice, then the Snap's",
       [](linux_machine& pc) {
         const fs::path gone = pc.disk.path() / "run" / "media" / "gone";
         const fs::path root =
             pc.steam_root(".local/share/Steam", {"relative/library", pc.unix(pc.at(".local/share/Steam")),
                                                  pc.unix(pc.disk.path() / "run" / "media") + "/gone"});
         pc.link_steam_root();
         const std::string snap = "snap/steam/common/.local/share/Steam";
         const fs::path snap_root = pc.steam_root(snap, {pc.unix(pc.at(snap))});
         const fs::path game = pc.steam.install_game(snap_root, "Kinglet");
         return std::pair(
             game, lines({no_steam_path, "Steam for Linux in " + pc.at(".steam/steam").string(),
                          "Steam library passed over: relative/library is not a full Unix path",
                          found(root, false), found(gone, false), "no install folders found",
                          "Steam for Linux in " + root.string() + ": its library list was read already",
                          "Steam for Linux in " + snap_root.string(), found(snap_root, true)}));
       }},
      {"a Windows Steam that knows the game wins: Steam for Linux is not read",
       [](linux_machine& pc) {
         pc.steam.register_steam();
         const auto [zero, one] = pc.steam.write_two_libraries("Kinglet");
         pc.steam_root(".local/share/Steam", {pc.unix(pc.sd_card)});
         pc.steam.install_game(pc.sd_card, "Kinglet");
         return std::pair(one / "steamapps" / "common" / "Kinglet",
                          lines({"attempt to get Steam install path returned status 0x00000000 and path " +
                                     pc.steam.steam_folder().string(),
                                 found(zero, false), found(one, true)}));
       }},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    linux_machine pc;
    const auto [game, log] = row.arrange(pc);
    expect_installed(pc, game, log);
  }
}

// As a Steam Deck player runs it: `protontricks-launch --appid 480` runs the
// installer in the game's own prefix, which Proton keeps in a library of
// Steam for Linux. The prefix's registry names a Steam for Windows too, one
// that does not have the game.
TEST(linux_steam, the_game_is_found_in_the_library_that_holds_the_proton_prefix) {
  const fs::path prefix = wine_folder(L"WINECONFIGDIR");
  const fs::path library = prefix.parent_path().parent_path().parent_path().parent_path();
  ASSERT_EQ(prefix.parent_path().parent_path().filename(), "compatdata")
      << "run through run_in_linux_home.sh";
  linux_machine pc;
  pc.steam.register_steam();
  const auto [zero, one] = pc.steam.write_two_libraries(std::nullopt);
  const fs::path game = pc.steam.install_game(library, "Kinglet");
  expect_installed(pc, game,
                   lines({"attempt to get Steam install path returned status 0x00000000 and path " +
                              pc.steam.steam_folder().string(),
                          found(zero, false), found(one, false), "no install folders found",
                          "Wine prefix " + prefix.string() + " lies in the Steam library " + library.string(),
                          found(library, true)}));
  fs::remove_all(library / "steamapps" / "common");
  fs::remove(library / "steamapps" / "appmanifest_480.acf");
}

// Nothing knows the game, which the player copied into a library by hand:
// the picker opens in that library's games, so that the game's own name is
// all the player has to choose.
TEST(linux_steam, the_folder_picker_opens_beside_steam_for_linux_games) {
  nlohmann::json config = test_game_config();
  config["ask_for_folder"] = true;
  linux_machine pc(config);
  const fs::path root =
      pc.steam_root(".local/share/Steam", {pc.unix(pc.at(".local/share/Steam")), pc.unix(pc.sd_card)});
  fs::create_directories(pc.sd_card / "steamapps" / "common");
  const fs::path games = root / "steamapps" / "common";
  write_file(games / "Kinglet" / "FlowTestGame.exe", "");

  gui_program installer(pc.setup.installer_folder() / "patch_installer.exe", pc.setup.root());
  const HWND picker = installer.wait_for_window(L"Where is Flow Game installed?");
  ASSERT_TRUE(picker);
  choose_folder(picker, "Kinglet");  // a name in the folder the picker shows
  const std::optional<message_box> done = installer.wait_for_message_box();
  ASSERT_TRUE(done);
  EXPECT_EQ(done->text, L"Patch installed. Have fun ;)");
  press(done->window, IDOK);

  EXPECT_EQ(installer.wait_for_exit(), 0u);
  EXPECT_EQ(read_file(games / "Kinglet" / "readme.txt"), "new");
  const std::string log = pc.log();
  EXPECT_NE(log.find("the folder picker opens in " + games.string() + "\r\n"), std::string::npos) << log;
}

// Heroic for Linux writes Unix paths in the same lists as on Windows: its
// own configuration folder first, then its Flatpak's.
TEST(linux_steam, heroic_for_linux_knows_the_game) {
  nlohmann::json config = test_game_config();
  config["epic_app_name"] = "Kinglet";
  config["gog_id"] = "1207658924";
  const heroic_sandbox windows_heroic;  // none on Windows' side
  for (const bool flatpak : {false, true}) {
    SCOPED_TRACE(flatpak ? "the Flatpak's GOG list" : "its own Epic list");
    linux_machine pc(config);
    const fs::path game = pc.disk.path() / "Games" / "Heroic" / "Kinglet";
    fs::create_directories(game);
    const fs::path own = pc.at(".config/heroic");
    const fs::path flatpaks = pc.at(".var/app/com.heroicgameslauncher.hgl/config/heroic");
    fs::create_directories(own);
    if (flatpak) {
      write_file(
          flatpaks / "gog_store" / "installed.json",
          nlohmann::json({{"installed", {{{"appName", "1207658924"}, {"install_path", unix_path_of(game)}}}}})
              .dump(2));
    } else {
      write_file(own / "legendaryConfig" / "legendary" / "installed.json",
                 nlohmann::json({{"Kinglet", {{"install_path", unix_path_of(game)}}}}).dump(2));
    }

    const program_run run = pc.setup.run();

    EXPECT_EQ(run.exit_code, 0u) << fs::path(run.text).string() << pc.log();
    EXPECT_EQ(read_file(game / "readme.txt"), "new");
    const std::string named = "names install path " + game.string() + "\r\n";
    EXPECT_NE(pc.log().find(named), std::string::npos) << pc.log();
  }
}
