#include "system/process.hpp"
#include "support/test_support.hpp"

#include <gtest/gtest.h>

#include <filesystem>

TEST(process, only_the_exact_executable_file_name_matches) {
  const test_support::stand_in_process game(L"ProcessTestGame.exe");
  struct row {
    const wchar_t* name;
    bool expected;
  };
  const row rows[] = {
      {L"ProcessTestGame.exe", true},      {L"processtestgame.exe", false},  // letter case counts
      {L"PROCESSTESTGAME.EXE", false},     {L"ProcessTestGame", false},  // the extension is part of the name
      {L"ProcessTestGame.ex", false},      {L"ProcessTestGame.exe ", false},  // no trimming
      {L"C:\\ProcessTestGame.exe", false},                                    // only file names are compared
      {L"sub/ProcessTestGame.exe", false}, {L"", false},
      {L"NoSuchGame.exe", false},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(std::filesystem::path(row.name).string());
    EXPECT_EQ(is_game_running(row.name), row.expected);
  }
}

TEST(process, a_process_that_ended_no_longer_counts) {
  { const test_support::stand_in_process game(L"EndedTestGame.exe"); }
  EXPECT_FALSE(is_game_running(L"EndedTestGame.exe"));
}

TEST(process, own_process_is_listed_like_any_other) { EXPECT_TRUE(is_game_running(L"process_test.exe")); }
