#include "author/seal.hpp"

#include "author/console.hpp"
#include "author/search_report.hpp"
#include "installer/patch_files.hpp"
#include "patch/config_lint.hpp"
#include "patch/relative_path.hpp"
#include "system/file_operations.hpp"
#include "system/sha256.hpp"
#include "system/text.hpp"

#include <nlohmann/json.hpp>

#include <map>

namespace fs = std::filesystem;

namespace {

constexpr char default_checksum_file[] = "SHA256SUMS";

// The checksum file's lines, "<sha256>  <path>", in path order.
std::string checksum_lines(const fs::path& archives, const fs::path& list) {
  std::map<std::string, fs::path> by_path;
  for (const fs::path& file : read_unsealed_patch(archives).files) {
    if (!same_file_name(file, list)) {
      by_path.emplace(path_to_utf8(file.lexically_relative(archives).generic_wstring()), file);
    }
  }
  std::vector<fs::path> files;
  for (const auto& [relative, file] : by_path) {
    files.push_back(file);
  }
  const std::vector<std::optional<std::string>> hashes = or_throw(sha256_of_files(files));
  std::string lines;
  std::size_t index = 0;
  for (const auto& [relative, file] : by_path) {
    if (!hashes[index]) {
      throw installer_error(path_to_utf8(file) + " was gone when it was read");
    }
    lines += *hashes[index++] + "  " + relative + "\n";
  }
  say("  wrote " + std::to_string(by_path.size()) + " lines");
  return lines;
}

// config.json with "checksums" added as its first member; the rest of the
// text as the author wrote it.
std::string with_checksums_member(const std::string& text, const std::string& name) {
  const std::size_t brace = text.find('{');
  const std::string rest = text.substr(brace + 1);
  const bool line_follows = !rest.empty() && (rest.front() == '\n' || rest.front() == '\r');
  return text.substr(0, brace + 1) + "\n  \"checksums\": " + nlohmann::json(name).dump() + "," +
         (line_follows ? "" : "\n  ") + rest;
}

void print_game_version(const patch_config& config, const fs::path& archives,
                        std::vector<std::string> files) {
  if (files.empty()) {
    files.push_back(config.executable_path.empty() ? config.process_name : config.executable_path);
  }
  say("game_versions entry for the game on this machine");
  version_check any_version(config, archives, nullptr);
  const game_search search = search_and_report(config, any_version);
  const fs::path* folder = std::get_if<fs::path>(&search);
  if (!folder) {
    say("  no game folder found on this machine: no entry printed");
    return;
  }
  nlohmann::ordered_json entry{{"name", "the version's name, as players know it"},
                               {"files", nlohmann::ordered_json::object()}};
  for (const std::string& file : files) {
    const std::optional<std::string> relative = normalized_relative_path(file);
    if (!relative) {
      throw installer_error(file + " is not a path below the game folder");
    }
    const fs::path game_file = *folder / path_from_utf8(*relative);
    const std::optional<std::string> hash = or_throw(sha256_of_files({game_file})).front();
    if (!hash) {
      throw installer_error(path_to_utf8(game_file) + " is missing");
    }
    entry["files"][*relative] = *hash;
  }
  say("  the game in " + path_to_utf8(*folder) + ":");
  say(entry.dump(2));
}

}  // namespace

int seal_patch(const fs::path& folder, const std::vector<std::string>& game_files) {
  const fs::path archives = folder / "archives";
  std::string text;
  std::vector<std::string> problems;
  if (!step("reading archives\\config.json", [&] {
        text = read_config_bytes(archives);
        problems = config_problems(text);
      })) {
    return 1;
  }
  for (const std::string& problem : problems) {
    say("problem: " + problem);
  }
  if (!problems.empty()) {
    say("not sealed: mend config.json first (patch_author check lists what it finds)");
    return 1;
  }
  patch_config config;
  const bool sealed = step("sealing the patch", [&] {
    error_location location;
    config = read_archives_config(archives, location);
    const std::string name = config.checksums.empty() ? default_checksum_file : config.checksums;
    const fs::path list = archives / path_from_utf8(name);
    say("sealing the patch in " + path_to_utf8(list));
    or_throw(replace_file(list, checksum_lines(archives, list)));
    if (config.checksums.empty()) {
      or_throw(replace_file(archives / "config.json", with_checksums_member(text, name)));
      say("  added \"checksums\": \"" + name + "\" to config.json");
    }
  });
  if (!sealed) {
    return 1;
  }
  step("  hashing the game's files", [&] { print_game_version(config, archives, game_files); });
  return 0;
}
