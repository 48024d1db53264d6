#include "author/seal.hpp"

#include "author/console.hpp"
#include "author/search_report.hpp"
#include "installer/archive_files.hpp"
#include "patch/config_lint.hpp"
#include "patch/relative_path.hpp"
#include "system/file_operations.hpp"
#include "system/sha256.hpp"
#include "system/text.hpp"
#include "system/windows_error.hpp"

#include <windows.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

constexpr char default_checksum_file[] = "SHA256SUMS";

// Writes `bytes` as `file` in one step: a file beside it, renamed over it.
void replace_file_with(const fs::path& file, const std::string& bytes) {
  fs::path written = file;
  written += ".new";
  {
    std::ofstream stream(written, std::ios::binary | std::ios::trunc);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!stream.flush()) {
      throw std::runtime_error("writing " + path_to_utf8(written) + " failed");
    }
  }
  if (const unsigned long code = move_file(written, file, true)) {
    throw windows_error("replacing " + path_to_utf8(file) + " failed", code);
  }
}

// The checksum file's lines, "<sha256>  <path>", in path order.
std::string checksum_lines(const fs::path& archives, const fs::path& list) {
  std::map<std::string, fs::path> files;
  for (const fs::path& file : collect_archive_files(archives)) {
    if (!same_file_name(file, list)) {
      files.emplace(path_to_utf8(file.lexically_relative(archives).generic_wstring()), file);
    }
  }
  const sha256 hasher;
  std::string lines;
  for (const auto& [relative, file] : files) {
    lines += to_hex(*hasher.of_file(file)) + "  " + relative + "\n";
  }
  say("  wrote " + std::to_string(files.size()) + " lines");
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
  if (!search.folder) {
    say("  no game folder found on this machine: no entry printed");
    return;
  }
  nlohmann::ordered_json entry{{"name", "the version's name, as players know it"},
                               {"files", nlohmann::ordered_json::object()}};
  const sha256 hasher;
  for (const std::string& file : files) {
    const std::optional<std::string> relative = normalized_relative_path(file);
    if (!relative) {
      throw std::runtime_error(file + " is not a path below the game folder");
    }
    entry["files"][*relative] = to_hex(*hasher.of_file(*search.folder / path_from_utf8(*relative)));
  }
  say("  the game in " + path_to_utf8(*search.folder) + ":");
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
    replace_file_with(list, checksum_lines(archives, list));
    if (config.checksums.empty()) {
      replace_file_with(archives / "config.json", with_checksums_member(text, name));
      say("  added \"checksums\": \"" + name + "\" to config.json");
    }
  });
  if (!sealed) {
    return 1;
  }
  step("  hashing the game's files", [&] { print_game_version(config, archives, game_files); });
  return 0;
}
