#include "texts/message_texts.hpp"

#include "base/ascii.hpp"

#include <fmt/args.h>
#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <stdexcept>

extern const char messages_json[];

namespace {

using json = nlohmann::json;

const char* const field_names[] = {"game",   "file", "folder", "versions", "executable",
                                   "others", "last", "patch",  "other"};

// The table: key -> language -> text. Built into the program, and read
// once per message_texts.
json table() { return json::parse(messages_json); }

std::vector<std::string> languages_of(const json& messages) {
  std::vector<std::string> languages;
  for (const auto& [language, text] : messages.at("installed").items()) {
    languages.push_back(language);
  }
  return languages;
}

// `text` with "{}" standing for "{game}", as authors may write it.
std::string with_named_game(std::string text) {
  for (std::size_t at = 0; (at = text.find("{}", at)) != std::string::npos;) {
    text.replace(at, 2, "{game}");
  }
  return text;
}

// Formats `text` with the fields named in `names`, taken from `fields`.
template <class value_source>
std::string format_named(const std::string& text, const std::vector<std::string>& names,
                         value_source value_of) {
  fmt::dynamic_format_arg_store<fmt::format_context> arguments;
  for (const std::string& name : names) {
    arguments.push_back(fmt::arg(name.c_str(), value_of(name)));
  }
  return fmt::vformat(text, arguments);
}

// The names of the fields that `text` holds, in the order they come.
std::vector<std::string> fields_in(const std::string& text) {
  std::vector<std::string> names;
  for (const char* name : field_names) {
    if (text.find(std::string("{") + name + "}") != std::string::npos) {
      names.push_back(name);
    }
  }
  return names;
}

const std::string& field(const text_fields& fields, std::string_view name) {
  if (name == "game") return fields.game;
  if (name == "file") return fields.file;
  if (name == "folder") return fields.folder;
  if (name == "versions") return fields.versions;
  if (name == "executable") return fields.executable;
  if (name == "others") return fields.others;
  if (name == "patch") return fields.patch;
  if (name == "other") return fields.other;
  return fields.last;
}

}  // namespace

message_texts::message_texts() : message_texts("en", {}) {}

message_texts::message_texts(std::string_view tag, std::map<std::string, std::string> overrides)
    : language_(table_language(tag)) {
  const json messages = table();
  for (const auto& [key, translations] : messages.items()) {
    const auto translated = translations.find(language_);
    texts_[key] = (translated != translations.end() ? *translated : translations.at("en")).get<std::string>();
  }
  for (auto& [key, text] : overrides) {
    if (const auto problem = message_override_problem(key, text)) {
      throw std::invalid_argument(*problem);
    }
    texts_[key] = with_named_game(std::move(text));
  }
}

std::string message_texts::operator()(std::string_view key, const text_fields& fields) const {
  const auto text = texts_.find(key);
  if (text == texts_.end()) {
    throw std::out_of_range("no text for the key " + std::string(key));
  }
  std::vector<std::string> names(std::begin(field_names), std::end(field_names));
  return format_named(text->second, names, [&](const std::string& name) { return field(fields, name); });
}

std::string table_language(std::string_view tag) {
  const std::string wanted = ascii_lower(tag);
  const std::vector<std::string> languages = languages_of(table());
  for (const std::string& language : languages) {
    if (ascii_lower(language) == wanted) {
      return language;
    }
  }
  const std::string primary = wanted.substr(0, wanted.find_first_of("-_"));
  if (primary == "zh") {
    const bool simplified =
        wanted == "zh-cn" || wanted == "zh-sg" || wanted.find("hans") != std::string::npos;
    return simplified ? "zh-Hans" : "zh-Hant";
  }
  if (primary == "pt") {
    return "pt-BR";
  }
  for (const std::string& language : languages) {
    if (ascii_lower(language) == primary) {
      return language;
    }
  }
  return "en";
}

std::optional<std::string> message_override_problem(std::string_view key, const std::string& text) {
  const json messages = table();
  const auto entry = messages.find(std::string(key));
  if (entry == messages.end()) {
    return "messages: the installer has no text \"" + std::string(key) + "\"";
  }
  // Only the fields of the English text are given: any other is an error.
  const std::vector<std::string> allowed = fields_in(entry->at("en").get<std::string>());
  try {
    format_named(with_named_game(text), allowed, [](const std::string& name) { return "{" + name + "}"; });
  } catch (const fmt::format_error&) {
    std::string names;
    for (const std::string& name : allowed) {
      names += (names.empty() ? "{" : ", {") + name + "}";
    }
    const std::string allowed_fields = names.empty()
                                           ? "may hold no fields in braces"
                                           : "may hold only the fields " + names + ", each in braces";
    return "messages: the text for \"" + std::string(key) + "\" " + allowed_fields + ": " + text;
  }
  return std::nullopt;
}

std::vector<std::string> message_languages() { return languages_of(table()); }

std::vector<std::string> message_keys() {
  std::vector<std::string> keys;
  const json messages = table();
  for (const auto& [key, translations] : messages.items()) {
    keys.push_back(key);
  }
  return keys;
}

std::string table_text(std::string_view language, std::string_view key) {
  const json messages = table();
  const auto entry = messages.find(std::string(key));
  if (entry == messages.end()) {
    return {};
  }
  const auto text = entry->find(std::string(language));
  return text == entry->end() ? std::string() : text->get<std::string>();
}
