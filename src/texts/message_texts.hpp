#pragma once

#include "base/failure.hpp"

#include <map>
#include <string>
#include <string_view>
#include <vector>

// The values that a text may name by its replacement fields: {game},
// {file}, {folder}, {versions}, {executable}, {others}, {last}, {patch},
// {other}. Each text uses the fields its English text uses. All are UTF-8.
struct text_fields {
  std::string game;
  std::string file;
  std::string folder;
  std::string versions;
  std::string executable;
  std::string others;
  std::string last;
  std::string patch;  // this run's patch, by its name
  std::string other;  // another patch of the game, by its name
};

// The texts of one run, in one language of the table (English unless told),
// each replaceable by the patch author's own wording.
class message_texts {
 public:
  // The table's language for `tag` (see table_language), with `overrides`
  // from key to text in place of the table's; an override may write {} for
  // {game}. Throws std::invalid_argument naming the key for an override that
  // check_message_override refuses.
  message_texts(std::string_view tag, std::map<std::string, std::string> overrides);

  // The text of `key` with its fields filled in. Throws std::out_of_range for
  // a key the table does not have.
  std::string operator()(std::string_view key, const text_fields& fields = {}) const;

 private:
  std::map<std::string, std::string, std::less<>> texts_;
};

// The language of the table that serves `tag` (as "pt-BR", "de-DE", "zh-TW"
// or "ja"), as setup programs choose: the tag itself, else its primary
// language (Simplified Chinese for zh-CN and zh-SG, Traditional for the
// other Chinese tags, Brazilian for other Portuguese), else English. Letter
// case does not count. Throws only std::bad_alloc.
std::string table_language(std::string_view tag);

// Whether `text` can stand for the text of `key`; else why not: the key is
// unknown, or the text names a field that the key's text has not, or is no
// format text. Throws only std::bad_alloc.
[[nodiscard]] result<> check_message_override(std::string_view key, const std::string& text);

// The table itself, for checks of it: every language, every key, and the
// text of `key` in `language` (empty when missing).
std::vector<std::string> message_languages();
std::vector<std::string> message_keys();
std::string table_text(std::string_view language, std::string_view key);
