#include "patch/config_lint.hpp"

#include "patch/checksums.hpp"
#include "patch/config_members.hpp"
#include "patch/patch_config.hpp"
#include "patch/relative_path.hpp"
#include "texts/message_texts.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <optional>
#include <sstream>
#include <utility>
#include <variant>

using nlohmann::json;

namespace {

// The words for the kind of a member, as the problems say it, and whether
// `value` is of that kind.
struct kind_of {
  using answer = std::pair<const char*, bool>;
  const json& value;
  answer operator()(text_field) const { return {"text (in quotes)", value.is_string()}; }
  answer operator()(flag_field) const { return {"true or false", value.is_boolean()}; }
  answer operator()(versions_field) const { return {"a list of versions in [ ]", value.is_array()}; }
  answer operator()(texts_field) const { return {"texts by their key in { }", value.is_object()}; }
};

// The line (from 1) of the first byte that does not continue a well-formed
// UTF-8 sequence, or nothing when all of them do.
std::optional<std::size_t> first_ill_formed_line(std::string_view bytes) {
  std::size_t line = 1;
  for (std::size_t at = 0; at < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    const std::size_t length = lead < 0x80                    ? 1
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || at + length > bytes.size()) {
      return line;
    }
    for (std::size_t next = 1; next < length; ++next) {
      const auto unit = static_cast<unsigned char>(bytes[at + next]);
      // The second byte's range excludes overlong forms and surrogates.
      const bool low = next == 1 && ((lead == 0xE0 && unit < 0xA0) || (lead == 0xF0 && unit < 0x90));
      const bool high = next == 1 && ((lead == 0xED && unit > 0x9F) || (lead == 0xF4 && unit > 0x8F));
      if ((unit & 0xC0) != 0x80 || low || high) {
        return line;
      }
    }
    line += lead == '\n';
    at += length;
  }
  return std::nullopt;
}

[[nodiscard]] result<> check_encoding(std::string_view bytes) {
  if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
    return failure("config.json is saved as UTF-16 (\"Unicode\" in some editors); save it as UTF-8");
  }
  if (bytes.find('\0') != std::string_view::npos) {
    return failure("config.json holds NUL bytes, as a file saved as UTF-16 does; save it as UTF-8");
  }
  if (const auto line = first_ill_formed_line(bytes)) {
    return failure(
        "config.json is not UTF-8 (line " + std::to_string(*line) +
        " holds a byte that UTF-8 does not allow there); it was probably saved as ANSI: save it as "
        "UTF-8");
  }
  return {};
}

// The number of single-character edits that turn `a` into `b`.
std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) {
    row[j] = j;
  }
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The known member that `name` looks like a misspelling of, if any.
const config_member* misspelled(const std::string& name) {
  for (const config_member& member : config_members) {
    if (ascii_lower(name) == member.name || edit_distance(ascii_lower(name), member.name) <= 2) {
      return &member;
    }
  }
  return nullptr;
}

void check_path(const json& value, const std::string& member, std::vector<std::string>& problems) {
  const auto& text = value.get_ref<const std::string&>();
  if (!text.empty() && !normalized_relative_path(text)) {
    problems.push_back(member + ": \"" + text +
                       "\" is not a path below its folder (use / between folders, no "
                       "drive, no ..)");
  }
}

void check_versions(const json& versions, const char* name, std::vector<std::string>& problems) {
  for (std::size_t index = 0; index < versions.size(); ++index) {
    const std::string member = std::string(name) + "[" + std::to_string(index) + "]";
    const json& version = versions[index];
    if (!version.is_object() || !version.contains("name") || !version["name"].is_string()) {
      problems.push_back(member + " must be an object with a text \"name\"");
    }
    if (!version.is_object() || !version.contains("files") || !version["files"].is_object() ||
        version["files"].empty()) {
      problems.push_back(member + " must have \"files\", an object from each file's path to its SHA-256");
      continue;
    }
    for (const auto& [path, hash] : version["files"].items()) {
      if (!normalized_relative_path(path)) {
        problems.push_back(member + ".files: \"" + path + "\" is not a path below the game folder");
      }
      if (!hash.is_string() || !normalized_sha256(hash.get_ref<const std::string&>())) {
        problems.push_back(member + ".files: the hash of " + path + " is not 64 hexadecimal digits");
      }
    }
  }
}

void check_texts(const json& texts, std::vector<std::string>& problems) {
  for (const auto& [key, text] : texts.items()) {
    if (!text.is_string()) {
      problems.push_back("messages: the text for \"" + key + "\" must be text (in quotes)");
    } else if (const result<> checked = check_message_override(key, text.get<std::string>()); !checked) {
      problems.push_back(checked.error().what);
    }
  }
}

void check_member(const json& document, const config_member& member, std::vector<std::string>& problems) {
  const auto found = document.find(member.name);
  if (found == document.end()) {
    if (member.required) {
      problems.push_back(std::string("the member \"") + member.name + "\" is missing");
    }
    return;
  }
  if (const auto [expected, right] = std::visit(kind_of{*found}, member.field); !right) {
    problems.push_back(std::string("the member \"") + member.name + "\" must be " + expected + ", not " +
                       found->type_name() + " " + found->dump());
    return;
  }
  if (std::holds_alternative<texts_field>(member.field)) {
    check_texts(*found, problems);
  } else if (std::holds_alternative<versions_field>(member.field)) {
    check_versions(*found, member.name, problems);
  } else if (member.rule == text_rule::relative_path) {
    check_path(*found, member.name, problems);
  }
}

}  // namespace

std::vector<std::string> config_problems(std::string_view bytes) {
  if (const result<> encoded = check_encoding(bytes); !encoded) {
    return {encoded.error().what};
  }
  std::istringstream input{std::string(bytes)};
  json document;
  try {
    input >> document;                      // as the installer reads it: one value
  } catch (const json::exception& error) {  // a parse error, or a number too large
    return {std::string("config.json is not valid JSON: ") + error.what()};
  }
  if (!document.is_object()) {
    return {std::string("config.json must hold one object in { }, not ") + document.type_name()};
  }
  std::vector<std::string> problems;
  for (const config_member& member : config_members) {
    check_member(document, member, problems);
  }
  for (const auto& [name, value] : document.items()) {
    const config_member* near = misspelled(name);
    if (near && name != near->name) {
      problems.push_back("the member \"" + name + "\" is not one the installer knows: did you mean \"" +
                         near->name + "\"?");
    }
  }
  if (problems.empty()) {
    // Whatever the installer's own reading finds beyond these.
    std::istringstream again{std::string(bytes)};
    try {
      read_patch_config(again);
    } catch (const std::exception& error) {
      problems.push_back(error.what());
    }
  }
  return problems;
}
