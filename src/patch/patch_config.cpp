#include "patch/patch_config.hpp"

#include "patch/checksums.hpp"
#include "patch/config_members.hpp"
#include "patch/relative_path.hpp"
#include "texts/message_texts.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <variant>

namespace {

using nlohmann::json;

// The value of `member` in `document`, or null when an optional member is
// absent. Throws json::out_of_range for a required member that is absent and
// json::type_error when `document` is no object.
const json* value_of(const json& document, const config_member& member) {
  if (member.required) {
    // at() rather than the subscript: a missing member is an error, not
    // undefined behaviour.
    return &document.at(member.name);
  }
  const auto found = document.find(member.name);
  return found == document.end() ? nullptr : &*found;
}

// The value of `member` into `field`, left as it is when absent; a
// type_error when it is there with another type.
template <typename value_type>
void read_value(const json& document, const config_member& member, value_type& field) {
  if (const json* value = value_of(document, member)) {
    field = value->get<value_type>();
  }
}

// `path` of the member `member` as a normalized relative path; empty stays
// empty.
std::string relative_member(const std::string& path, const std::string& member) {
  if (path.empty()) {
    return path;
  }
  if (auto normal = normalized_relative_path(path)) {
    return *normal;
  }
  throw config_error(member + ": " + path + " is not a path below its folder");
}

// `text`, the value of `member`, as its rule wants it.
std::string ruled_text(const config_member& member, const std::string& text) {
  if (member.rule == text_rule::relative_path) {
    return relative_member(text, member.name);
  }
  if (member.rule == text_rule::ubisoft_install_id &&
      !std::all_of(text.begin(), text.end(), [](char unit) { return unit >= '0' && unit <= '9'; })) {
    throw config_error(std::string(member.name) + ": \"" + text +
                       "\" is not Ubisoft Connect's install id (digits only)");
  }
  if (member.rule == text_rule::registry_key_name && text.find('\\') != std::string::npos) {
    throw config_error(std::string(member.name) + ": \"" + text +
                       "\" is not the name of one registry key (no \\)");
  }
  return text;
}

// The member's own value into `config`; what game_versions holds waits for
// read_versions.
void read_member(const json& document, const config_member& member, patch_config& config) {
  if (const auto* text = std::get_if<text_field>(&member.field)) {
    std::string& value = config.**text;
    read_value(document, member, value);
    value = ruled_text(member, value);
  } else if (const auto* flag = std::get_if<flag_field>(&member.field)) {
    read_value(document, member, config.**flag);
  } else if (const auto* texts = std::get_if<texts_field>(&member.field)) {
    read_value(document, member, config.**texts);
  }
}

void check_texts(const std::map<std::string, std::string>& texts) {
  for (const auto& [key, text] : texts) {
    if (const result<> checked = check_message_override(key, text); !checked) {
      throw config_error(checked.error().what);
    }
  }
}

game_version read_game_version(const json& entry, const std::string& member) {
  game_version version;
  version.name = entry.at("name").get<std::string>();
  const json& files = entry.at("files");
  if (!files.is_object() || files.empty()) {
    throw config_error(member + ".files: expected an object from each file's path to its SHA-256");
  }
  for (const auto& [path, hash] : files.items()) {
    const std::optional<std::string> normal = normalized_sha256(hash.get_ref<const std::string&>());
    if (!normal) {
      throw config_error(member + ".files: the hash of " + path + " is not 64 hexadecimal digits");
    }
    version.files.emplace_back(relative_member(path, member + ".files"), *normal);
  }
  return version;
}

std::vector<game_version> read_versions(const json& document, const config_member& member) {
  std::vector<game_version> versions;
  if (const json* value = value_of(document, member)) {
    const auto entries = value->get<std::vector<json>>();
    for (std::size_t index = 0; index < entries.size(); ++index) {
      versions.push_back(
          read_game_version(entries[index], std::string(member.name) + "[" + std::to_string(index) + "]"));
    }
  }
  return versions;
}

}  // namespace

patch_config load_patch_config(const std::filesystem::path& file) {
  // A file that fails to open yields no characters, so the parser reports it.
  std::ifstream stream(file);
  return read_patch_config(stream);
}

patch_config read_patch_config(std::istream& input) {
  json document;
  input >> document;  // one value only: what follows it is never read

  // The order fixes which of several faults is reported: each member's own
  // value in the table's order, then the texts of messages, then
  // game_versions whole.
  patch_config config;
  for (const config_member& member : config_members) {
    read_member(document, member, config);
  }
  for (const config_member& member : config_members) {
    if (const auto* texts = std::get_if<texts_field>(&member.field)) {
      check_texts(config.**texts);
    }
  }
  for (const config_member& member : config_members) {
    if (const auto* field = std::get_if<versions_field>(&member.field)) {
      std::vector<game_version>& versions = config.**field;
      versions = read_versions(document, member);
    }
  }
  return config;
}
