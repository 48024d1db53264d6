#include "patch/patch_config.hpp"

#include <nlohmann/json.hpp>

#include <fstream>

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
  return config;
}
