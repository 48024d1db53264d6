// The installer's texts in the player's language, end to end under Wine:
// config.json's "language" and "messages". Wine takes the Windows user
// interface language from LANG, so the "auto" test runs under several
// (see CMakeLists.txt), with EXPECTED_LANGUAGE naming the table's language.
#include "support/sandboxes.hpp"
#include "system/ui_language.hpp"
#include "texts/message_texts.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace test_support;

namespace {

text_fields about_game(const std::string& game) {
  text_fields fields;
  fields.game = game;
  return fields;
}

}  // namespace

TEST(language, a_fixed_language_and_the_authors_own_words_come_as_written) {
  nlohmann::json config = test_game_config();
  config["language"] = "pt-BR";
  config["messages"] = {{"game_not_found", "Sem {} aqui: instale o jogo primeiro."}};
  installer_sandbox setup(config);
  write_file(setup.archives() / "readme.txt", "novo");
  const message_texts portuguese("pt-BR", {});

  const program_run not_found = setup.run();
  EXPECT_EQ(not_found.text, L"Sem Flow Game aqui: instale o jogo primeiro.");
  setup.register_game_folder();
  const program_run installed = setup.run();
  EXPECT_EQ(installed.text, widened(portuguese("installed")));
  EXPECT_EQ(installed.caption, widened(portuguese("installer_title", about_game("Flow Game"))));
  EXPECT_EQ(installed.exit_code, 0u);

  // A key the installer does not know is the author's mistake, named.
  config["messages"] = {{"instaled", "Pronto!"}};
  write_file(setup.archives() / "config.json", config.dump());
  const program_run refused = setup.run();
  EXPECT_EQ(refused.exit_code, 3u);
  EXPECT_NE(refused.text.find(L"messages: the installer has no text \"instaled\""), std::wstring::npos)
      << fs::path(refused.text).string();
}

TEST(language, auto_follows_the_windows_user_interface_language) {
  const char* expected = std::getenv("EXPECTED_LANGUAGE");
  if (!expected) {
    GTEST_SKIP() << "runs with EXPECTED_LANGUAGE and LANG set (see CMakeLists.txt)";
  }
  ASSERT_EQ(table_language(user_interface_language()), expected) << "Wine did not take LANG";
  nlohmann::json config = test_game_config("Ærø Saga");
  config["language"] = "auto";
  installer_sandbox setup(config);
  const message_texts texts(expected, {});

  EXPECT_EQ(setup.run().text, widened(texts("game_not_found", about_game("Ærø Saga"))));
  setup.register_game_folder();
  const program_run installed = setup.run();
  EXPECT_EQ(installed.text, widened(texts("installed")));
  EXPECT_EQ(installed.caption, widened(texts("installer_title", about_game("Ærø Saga"))));
  const stand_in_process game(L"FlowTestGame.exe");
  EXPECT_EQ(setup.run().text, widened(texts("game_running", about_game("Ærø Saga"))));
}
