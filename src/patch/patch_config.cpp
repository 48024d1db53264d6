#include "patch/patch_config.hpp"

#include <nlohmann/json.hpp>

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
  read_optional(document, "ask_for_folder", config.ask_for_folder);
  return config;
}
