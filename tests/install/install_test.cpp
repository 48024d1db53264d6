#include "install/install.hpp"
#include "installer/patch_files.hpp"
#include "support/test_support.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace fs = std::filesystem;
using namespace test_support;

namespace {

struct patch {
  temp_folder root;
  fs::path archives = root.path() / "archives";

  void add(const fs::path& relative, const std::string& content) const {
    write_file(archives / relative, content);
  }
  patch_files files() const { return read_unsealed_patch(archives); }
};

void install(const patch_files& files, const fs::path& game) {
  install_patch(patch_config{}, files, patch_on_game{}, game);
}

}  // namespace

TEST(install, files_land_in_the_same_place_below_the_game_folder) {
  for (const bool trailing_separator : {false, true}) {
    SCOPED_TRACE(trailing_separator ? "game folder with trailing separator" : "game folder without");
    patch patch;
    patch.add("top.txt", "top");
    patch.add(fs::path("a") / "b" / "deep.txt", "deep");
    const fs::path game = patch.root.path() / "game";
    write_file(game / "top.txt", "old");

    install(patch.files(), trailing_separator ? fs::path(game.native() + L"\\") : game);

    EXPECT_EQ(read_file(game / "top.txt"), "top");
    EXPECT_EQ(read_file(game / "a" / "b" / "deep.txt"), "deep");
  }
}

TEST(install, archives_reached_through_a_different_spelling_give_plain_destinations) {
  patch patch;
  patch.add(fs::path("sub") / "file.txt", "x");
  // The same folder, spelled with "." and ".." elements and forward slashes.
  const fs::path spelled = fs::path(patch.root.path().generic_wstring() + L"/./archives/../archives");
  const fs::path game = patch.root.path() / "game";

  install(read_unsealed_patch(spelled), game);

  EXPECT_EQ(read_file(game / "sub" / "file.txt"), "x");
}

TEST(install, an_empty_patch_is_not_a_failure) {
  patch patch;
  fs::create_directories(patch.archives);
  EXPECT_NO_THROW(install(patch.files(), patch.root.path() / "game"));
}
