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

// Whether a CJK character starts at byte `at` of UTF-8 `text`: Han, kana,
// CJK punctuation or a full-width form (U+3000 to U+9FFF, U+FF00 to U+FFEF).
bool cjk_at(const std::string& text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0; };
  return (byte(at) >= 0xE3 && byte(at) <= 0xE9) || (byte(at) == 0xEF && byte(at + 1) >= 0xBC);
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

// Japanese and Chinese put no space between words. Their default names of a
// patch end in CJK text ("{game} 的补丁"), and an author's own name may be CJK
// throughout, so a space beside {patch} or {other} would part two CJK
// characters. Korean is not checked: it spaces its words, and a name is a
// word there with its particle attached ("{other}을(를)").
TEST(texts, no_space_parts_a_patch_name_from_japanese_or_chinese_text) {
  for (const char* language : {"ja", "zh-Hans", "zh-Hant"}) {
    for (const std::string& key : message_keys()) {
      SCOPED_TRACE(key + " in " + language);
      const std::string text = table_text(language, key);
      for (const std::string field : {"{patch}", "{other}"}) {
        for (std::size_t at = text.find(field); at != std::string::npos; at = text.find(field, at + 1)) {
          const std::size_t end = at + field.size();
          EXPECT_FALSE(at >= 4 && text[at - 1] == ' ' && cjk_at(text, at - 4)) << text;
          EXPECT_FALSE(end < text.size() && text[end] == ' ' && cjk_at(text, end + 1)) << text;
        }
      }
    }
  }
}

// French sets a no-break space before ? : ; ! and inside « », so that none of
// them starts a line of its own.
TEST(texts, french_keeps_its_no_break_spaces) {
  for (const std::string& key : message_keys()) {
    const std::string text = table_text("fr", key);
    for (const char* plain : {" ?", " :", " ;", " !", "« ", " »"}) {
      EXPECT_EQ(text.find(plain), std::string::npos) << key << ": " << text;
    }
  }
}

// Texts that said something else than the English means, or bent a name that
// they cannot bend for every name: the wording each had, and what it says now.
TEST(texts, mended_texts_no_longer_say_what_they_said) {
  const struct {
    const char *language, *key, *then, *now;
  } rows[] = {
      // The original, unpatched state, where the English means the one before this run.
      {"de", "removal_failed", "ursprüngliche Zustand", "vorherigen Zustand"},
      {"de", "rollback_failed", "ursprüngliche Zustand", "vorherigen Zustand"},
      {"fr", "removal_failed", "état d'origine", "état précédent"},
      {"fr", "rollback_failed", "état d'origine", "état précédent"},
      {"cs", "removal_failed", "původního stavu", "předchozího stavu"},
      {"cs", "rollback_failed", "původního stavu", "předchozího stavu"},
      {"hu", "removal_failed", "eredeti állapotát", "korábbi állapotát"},
      {"hu", "rollback_failed", "eredeti állapotát", "korábbi állapotát"},
      // "de Elden Ring": no elision before a vowel.
      {"fr", "wrong_folder", "de {game}", "du jeu {game}"},
      // The player's own file, or the other patch's, where the file is this patch's.
      {"en", "removal_refused", "its file", "one of this patch's files"},
      {"fr", "removal_refused", "son fichier", "de ce patch"},
      {"es", "removal_refused", "su archivo", "de este parche"},
      {"pt-BR", "removal_refused", "seu arquivo", "deste patch"},
      {"zh-Hans", "removal_refused", "其文件", "该补丁的文件"},
      {"zh-Hant", "removal_refused", "其檔案", "該補丁的檔案"},
      // A gender or a case that a name of the patch or game may not have.
      {"fr", "remove_question", "{patch} est installé", "installé\u00a0: {patch}."},
      {"es", "remove_question", "{patch} está instalado", "parche: {patch}."},
      {"it", "remove_question", "{patch} è installata", "patch: {patch}."},
      {"pt-BR", "remove_question", "{patch} está instalado", "instalado: {patch}."},
      {"pl", "remove_question", "{patch} jest zainstalowana", "Zainstalowano: {patch}."},
      {"cs", "remove_question", "{patch} je nainstalován", "Nainstalováno: {patch}."},
      {"cs", "removal_refused", "odstraňte {other}", "Nelze odstranit: {patch}."},
      {"ru", "removal_refused", "удалите {other}", "Невозможно удалить: {patch}."},
      {"uk", "removal_refused", "видаліть {other}", "Неможливо видалити: {patch}."},
      {"ru", "installer_title", "для {game}", "для игры {game}"},
      {"uk", "installer_title", "для {game}", "для гри {game}"},
  };
  for (const auto& row : rows) {
    const std::string text = table_text(row.language, row.key);
    SCOPED_TRACE(std::string(row.key) + " in " + row.language + ": " + text);
    EXPECT_EQ(text.find(row.then), std::string::npos);
    EXPECT_NE(text.find(row.now), std::string::npos);
  }
  // Windows in Taiwan removes (移除) a program or patch; 刪除 deletes a file.
  for (const char* key : {"remove_question", "removed", "removal_refused", "not_removed", "removal_failed"}) {
    const std::string text = table_text("zh-Hant", key);
    EXPECT_EQ(text.find("刪除"), std::string::npos) << text;
    EXPECT_NE(text.find("移除"), std::string::npos) << text;
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

  EXPECT_TRUE(check_message_override("installed", "Fertig!"));
  const auto refusal = [](std::string_view key, const std::string& text) {
    const result<> checked = check_message_override(key, text);
    return checked ? std::string("accepted") : checked.error().what;
  };
  EXPECT_EQ(refusal("instaled", "Fertig!"), "messages: the installer has no text \"instaled\"");
  EXPECT_EQ(refusal("installed", "Fertig, {game}!"),
            "messages: the text for \"installed\" may hold no fields in braces: Fertig, {game}!");
  EXPECT_EQ(refusal("busy", "{game} in {folder}"),
            "messages: the text for \"busy\" may hold only the fields {folder}, each in braces: {game} in "
            "{folder}");
  EXPECT_EQ(
      refusal("game_running", "Close {game"),
      "messages: the text for \"game_running\" may hold only the fields {game}, each in braces: Close {game");
  EXPECT_THROW(message_texts("en", {{"no_such_text", "x"}}), installer_error);
}
