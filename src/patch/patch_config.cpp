#include "patch/patch_config.hpp"

#include "patch/checksums.hpp"
#include "patch/relative_path.hpp"
#include "texts/message_texts.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>

namespace {

// An optional member: left as it is when absent, a type_error when present
// with another type.
template <typename value_type>
void read_optional(const nlohmann::json& document, const char* key, value_type& field) {
  if (const auto member = document.find(key); member != document.end()) {
    field = member->get<value_type>();
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

game_version read_game_version(const nlohmann::json& entry, std::size_t index) {
  const std::string member = "game_versions[" + std::to_string(index) + "]";
  game_version version;
  version.name = entry.at("name").get<std::string>();
  const nlohmann::json& files = entry.at("files");
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

}  // namespace

patch_config load_patch_config(const std::filesystem::path& file) {
  // A file that fails to open yields no characters, so the parser reports it.
  std::ifstream stream(file);
  return read_patch_config(stream);
}

patch_config read_patch_config(std::istream& input) {
  nlohmann::json document;
  input >> document;  // one value only: what follows it is never read

  // at() rather than the subscript: a missing member is an error, not
  // undefined behaviour. The order fixes which of several faults is reported.
  patch_config config;
  config.game_name = document.at("game_name").get<std::string>();
  config.process_name = document.at("process_name").get<std::string>();
  config.data_directory = document.at("data_directory").get<std::string>();
  config.registry_key = document.at("registry_key").get<std::string>();
  config.steam_id = document.at("steam_id").get<std::string>();
  read_optional(document, "gog_id", config.gog_id);
  read_optional(document, "epic_app_name", config.epic_app_name);
  read_optional(document, "xbox_package", config.xbox_package);
  read_optional(document, "ubisoft_id", config.ubisoft_id);
  // It becomes a registry subkey: a '\' would name another game's key.
  if (!std::all_of(config.ubisoft_id.begin(), config.ubisoft_id.end(),
                   [](char unit) { return unit >= '0' && unit <= '9'; })) {
    throw config_error("ubisoft_id: \"" + config.ubisoft_id +
                       "\" is not Ubisoft Connect's install id (digits only)");
  }
  read_optional(document, "ask_for_folder", config.ask_for_folder);
  read_optional(document, "checksums", config.checksums);
  config.checksums = relative_member(config.checksums, "checksums");
  read_optional(document, "executable_path", config.executable_path);
  config.executable_path = relative_member(config.executable_path, "executable_path");
  read_optional(document, "language", config.language);
  read_optional(document, "messages", config.messages);
  read_optional(document, "keep_originals", config.keep_originals);
  read_optional(document, "patch_name", config.patch_name);
  for (const auto& [key, text] : config.messages) {
    if (const auto problem = message_override_problem(key, text)) {
      throw config_error(*problem);
    }
  }
  if (const auto versions = document.find("game_versions"); versions != document.end()) {
    const auto entries = versions->get<std::vector<nlohmann::json>>();
    for (std::size_t index = 0; index < entries.size(); ++index) {
      config.game_versions.push_back(read_game_version(entries[index], index));
    }
  }
  return config;
}
