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

// Each field a text may name, and where its value is.
constexpr std::pair<const char*, std::string text_fields::*> fields_by_name[] = {
    {"game", &text_fields::game},
    {"file", &text_fields::file},
    {"folder", &text_fields::folder},
    {"versions", &text_fields::versions},
    {"executable", &text_fields::executable},
    {"others", &text_fields::others},
    {"last", &text_fields::last},
    {"patch", &text_fields::patch},
    {"other", &text_fields::other},
};

// The table: key -> language -> text, built into the program.
json table() { return json::parse(messages_json); }

// The members of the JSON object `object`, in the table's order.
std::vector<std::string> keys_of(const json& object) {
  std::vector<std::string> keys;
  for (const auto& [key, value] : object.items()) {
    keys.push_back(key);
  }
  return keys;
}

// `text` with "{}" standing for "{game}", as authors may write it.
std::string with_named_game(std::string text) {
  for (std::size_t at = 0; (at = text.find("{}", at)) != std::string::npos;) {
    text.replace(at, 2, "{game}");
  }
  return text;
}

// The names of the fields that `text` holds, in the order they come.
std::vector<std::string> fields_in(const std::string& text) {
  std::vector<std::string> names;
  for (const auto& [name, member] : fields_by_name) {
    if (text.find(std::string("{") + name + "}") != std::string::npos) {
      names.push_back(name);
    }
  }
  return names;
}

}  // namespace

message_texts::message_texts(std::string_view tag, std::map<std::string, std::string> overrides) {
  const std::string language = table_language(tag);
  const json messages = table();
  for (const auto& [key, translations] : messages.items()) {
    const auto translated = translations.find(language);
    texts_[key] = (translated != translations.end() ? *translated : translations.at("en")).get<std::string>();
  }
  for (auto& [key, text] : overrides) {
    if (const result<> checked = check_message_override(key, text); !checked) {
      throw installer_error(checked.error());
    }
    texts_[key] = with_named_game(std::move(text));
  }
}

std::string message_texts::operator()(std::string_view key, const text_fields& fields) const {
  const auto text = texts_.find(key);
  if (text == texts_.end()) {
    throw installer_error("no text for the key " + std::string(key));
  }
  fmt::dynamic_format_arg_store<fmt::format_context> arguments;
  for (const auto& [name, member] : fields_by_name) {
    arguments.push_back(fmt::arg(name, fields.*member));
  }
  return fmt::vformat(text->second, arguments);
}

std::string table_language(std::string_view tag) {
  const std::string wanted = ascii_lower(tag);
  const std::vector<std::string> languages = message_languages();
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

result<> check_message_override(std::string_view key, const std::string& text) {
  const json messages = table();
  const auto entry = messages.find(std::string(key));
  if (entry == messages.end()) {
    return failure("messages: the installer has no text \"" + std::string(key) + "\"");
  }
  // Only the fields of the English text are given: any other is an error.
  const std::vector<std::string> allowed = fields_in(entry->at("en").get<std::string>());
  // Each allowed field stands for itself: only whether formatting throws counts.
  fmt::dynamic_format_arg_store<fmt::format_context> arguments;
  for (const std::string& name : allowed) {
    arguments.push_back(fmt::arg(name.c_str(), "{" + name + "}"));
  }
  try {
    (void)fmt::vformat(with_named_game(text), arguments);
  } catch (const fmt::format_error&) {
    std::string names;
    for (const std::string& name : allowed) {
      names += (names.empty() ? "{" : ", {") + name + "}";
    }
    const std::string allowed_fields = names.empty()
                                           ? "may hold no fields in braces"
                                           : "may hold only the fields " + names + ", each in braces";
    return failure("messages: the text for \"" + std::string(key) + "\" " + allowed_fields + ": " + text);
  }
  return {};
}

std::vector<std::string> message_languages() { return keys_of(table().at("installed")); }

std::vector<std::string> message_keys() { return keys_of(table()); }

std::string table_text(std::string_view language, std::string_view key) {
  const json messages = table();
  const auto entry = messages.find(std::string(key));
  if (entry == messages.end()) {
    return {};
  }
  const auto text = entry->find(std::string(language));
  return text == entry->end() ? std::string() : text->get<std::string>();
}
