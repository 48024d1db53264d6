#include "texts/message_texts.hpp"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

namespace {

// The replacement fields of `text`, as {name}.
std::multiset<std::string> fields_of(const std::string& text) {
  const std::regex field(R"(\{[^{}]*\})");
  std::multiset<std::string> fields;
  for (std::sregex_iterator match(text.begin(), text.end(), field), end; match != end; ++match) {
    fields.insert(match->str());
  }
  return fields;
}

}  // namespace

TEST(texts, every_language_has_every_text_with_the_same_fields) {
  const std::vector<std::string> languages = message_languages();
  EXPECT_EQ(std::set<std::string>(languages.begin(), languages.end()),
            (std::set<std::string>{"en", "de", "fr", "es", "it", "pt-BR", "pl", "ru", "uk", "tr", "cs", "hu",
                                   "ja", "ko", "zh-Hans", "zh-Hant"}));
  for (const std::string& key : message_keys()) {
    const std::string english = table_text("en", key);
    for (const std::string& language : languages) {
      SCOPED_TRACE(key + " in " + language);
      const std::string text = table_text(language, key);
      EXPECT_FALSE(text.empty());
      EXPECT_EQ(fields_of(text), fields_of(english));
      // Every text can be formatted: braces stand only for fields.
      EXPECT_NO_THROW(message_texts(language, {})(key));
    }
  }
}

TEST(texts, the_language_is_chosen_as_setup_programs_choose_it) {
  const std::pair<const char*, const char*> rows[] = {
      {"de-DE", "de"},      {"de-AT", "de"},      {"DE", "de"},         {"pt-BR", "pt-BR"},
      {"pt-PT", "pt-BR"},   {"zh-CN", "zh-Hans"}, {"zh-SG", "zh-Hans"}, {"zh-TW", "zh-Hant"},
      {"zh-HK", "zh-Hant"}, {"ja-JP", "ja"},      {"uk-UA", "uk"},      {"nl-NL", "en"},
      {"", "en"},           {"auto", "en"},
  };
  for (const auto& [tag, expected] : rows) {
    SCOPED_TRACE(tag);
    EXPECT_EQ(table_language(tag), expected);
  }
}

TEST(texts, the_authors_own_words_replace_the_table_when_their_fields_fit) {
  const message_texts texts("de", {{"game_not_found", "{} fehlt hier."}, {"busy", "Warte auf {folder}."}});
  text_fields fields;
  fields.game = "Starfall {0}";  // braces in a value are shown, never read
  fields.folder = "C:\\Games";
  EXPECT_EQ(texts("game_not_found", fields), "Starfall {0} fehlt hier.");
  EXPECT_EQ(texts("busy", fields), "Warte auf C:\\Games.");
  EXPECT_EQ(texts("installed"), table_text("de", "installed"));

  EXPECT_EQ(message_override_problem("installed", "Fertig!"), std::nullopt);
  EXPECT_EQ(message_override_problem("instaled", "Fertig!"),
            "messages: the installer has no text \"instaled\"");
  EXPECT_EQ(
      message_override_problem("installed", "Fertig, {game}!"),
      "messages: the text for \"installed\" may hold no fields in braces: Fertig, {game}!");
  EXPECT_EQ(message_override_problem("busy", "{game} in {folder}"),
            "messages: the text for \"busy\" may hold only the fields {folder}, each in braces: {game} in "
            "{folder}");
  EXPECT_EQ(
      message_override_problem("game_running", "Close {game"),
      "messages: the text for \"game_running\" may hold only the fields {game}, each in braces: Close {game");
  EXPECT_THROW(message_texts("en", {{"no_such_text", "x"}}), std::invalid_argument);
}
