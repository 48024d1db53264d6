#include "system/deploy.hpp"
#include "support/test_support.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <vector>

namespace fs = std::filesystem;
using namespace test_support;

namespace {

struct patch {
  temp_folder root;
  fs::path archives = root.path() / "archives";
  std::vector<fs::path> files;

  void add(const fs::path& relative, const std::string& content) {
    write_file(archives / relative, content);
    files.push_back(archives / relative);
  }
};

}  // namespace

TEST(deploy, files_land_in_the_same_place_below_the_game_folder) {
  for (const bool trailing_separator : {false, true}) {
    SCOPED_TRACE(trailing_separator ? "game folder with trailing separator" : "game folder without");
    patch patch;
    patch.add("top.txt", "top");
    patch.add(fs::path("a") / "b" / "deep.txt", "deep");
    const fs::path game = patch.root.path() / "game";
    write_file(game / "top.txt", "old");

    deploy_archive_files(patch.files, patch.archives,
                         trailing_separator ? fs::path(game.native() + L"\\") : game);

    EXPECT_EQ(read_file(game / "top.txt"), "top");
    EXPECT_EQ(read_file(game / "a" / "b" / "deep.txt"), "deep");
  }
}

TEST(deploy, archives_reached_through_a_different_spelling_give_plain_destinations) {
  patch patch;
  patch.add(fs::path("sub") / "file.txt", "x");
  // The same folder, spelled with "." and ".." elements and forward slashes.
  const fs::path spelled = fs::path(patch.root.path().generic_wstring() + L"/./archives/../archives");
  const fs::path game = patch.root.path() / "game";

  deploy_archive_files({spelled / "sub" / "file.txt"}, spelled, game);

  EXPECT_EQ(read_file(game / "sub" / "file.txt"), "x");
}

TEST(deploy, a_file_outside_the_archives_folder_stops_everything_before_copying) {
  patch patch;
  patch.add("inside.txt", "in");
  write_file(patch.root.path() / "outside.txt", "out");
  patch.files.push_back(patch.root.path() / "outside.txt");
  const fs::path game = patch.root.path() / "game";

  EXPECT_THROW(deploy_archive_files(patch.files, patch.archives, game), std::runtime_error);
  EXPECT_THROW(deploy_archive_files({patch.archives}, patch.archives, game), std::runtime_error);
  EXPECT_FALSE(fs::exists(game));
}

TEST(deploy, an_empty_list_is_not_a_failure) {
  patch patch;
  fs::create_directories(patch.archives);
  EXPECT_NO_THROW(deploy_archive_files({}, patch.archives, patch.root.path() / "game"));
}
