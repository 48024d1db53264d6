#include "author/check.hpp"

#include "author/console.hpp"
#include "author/search_report.hpp"
#include "installer/patch_files.hpp"
#include "installer/sealed_patch.hpp"
#include "patch/config_lint.hpp"
#include "system/file_operations.hpp"
#include "system/process.hpp"
#include "system/sha256.hpp"
#include "system/text.hpp"

#include <optional>
#include <variant>

namespace fs = std::filesystem;

namespace {

// Every problem of config.json; the configuration when there is none.
std::optional<patch_config> check_configuration(const fs::path& archives) {
  say("config.json");
  std::optional<patch_config> config;
  step("  reading archives\\config.json", [&] {
    const std::vector<std::string> problems = config_problems(read_config_bytes(archives));
    for (const std::string& problem : problems) {
      say("  problem: " + problem);
    }
    if (problems.empty()) {
      error_location location;
      config = read_archives_config(archives, location);
      say("  ok: " + config->game_name + ", " + std::to_string(config->game_versions.size()) +
          " accepted game versions");
    }
  });
  return config;
}

// Every file of a sealed patch that is missing or differs; whether none.
bool check_seal(const fs::path& archives, const patch_files& patch) {
  std::size_t bad = 0;
  for (std::size_t index = 0; index < patch.files.size(); ++index) {
    const fs::path& file = patch.files[index];
    if (examine_path(file).value_or(path_kind::none) != path_kind::file) {
      say("  problem: " + shown(file, archives.parent_path()) + " is listed but missing");
      ++bad;
    } else if (or_throw(sha256_of_files({file})).front() != patch.hashes[index]) {
      say("  problem: " + shown(file, archives.parent_path()) + " does not match its checksum");
      ++bad;
    }
  }
  say("  " + std::to_string(patch.files.size() - bad) + " of " + std::to_string(patch.files.size()) +
      " listed files match");
  return bad == 0;
}

// The patch files, checked against their seal when there is one.
std::optional<patch_files> check_patch_files(const fs::path& archives, const patch_config& config,
                                             std::optional<patch_files>& sealed) {
  say("patch files");
  std::optional<patch_files> files;
  step("  reading the patch", [&] {
    if (config.checksums.empty()) {
      files = read_unsealed_patch(archives);
      say("  " + std::to_string(files->files.size()) +
          " files below archives; not sealed (no \"checksums\")");
      return;
    }
    error_location location;
    std::variant<patch_files, patch_damage> read = read_sealed_patch(archives, config, location);
    if (const auto* damaged = std::get_if<patch_damage>(&read)) {
      throw installer_error(damage_text(*damaged));
    }
    sealed = std::get<patch_files>(std::move(read));
    if (check_seal(archives, *sealed)) {
      files = sealed;
    }
  });
  return files;
}

std::optional<fs::path> check_search(const patch_config& config, const fs::path& archives,
                                     const patch_files* sealed) {
  say("game search on this machine");
  std::optional<fs::path> folder;
  step("  searching", [&] {
    version_check versions(config, archives, sealed);
    const game_search search = search_and_report(config, versions);
    if (const fs::path* found = std::get_if<fs::path>(&search)) {
      folder = *found;
      say("  game folder: " + path_to_utf8(*folder));
    } else if (std::holds_alternative<version_mismatch>(search)) {
      say("  problem: no folder holds a version that the patch accepts");
    } else {
      say(std::string("  problem: the game was not found") +
          (config.ask_for_folder ? " (a player would be asked for its folder)" : ""));
    }
  });
  return folder;
}

bool check_destinations(const patch_files& patch, const fs::path& game) {
  say("what a run would do");
  return step("  placing the patch files", [&] {
    std::size_t replaced = 0;
    const std::vector<fs::path>& relatives = patch.destinations;
    for (const fs::path& relative : relatives) {
      const bool replaces = examine_path(game / relative).value_or(path_kind::none) == path_kind::file;
      replaced += replaces;
      say(std::string(replaces ? "  replace " : "  create  ") + path_to_utf8(relative));
    }
    say("  " + std::to_string(replaced) + " game files replaced, " +
        std::to_string(relatives.size() - replaced) + " files created, in " + path_to_utf8(game));
  });
}

}  // namespace

int check_patch(const fs::path& folder) {
  const fs::path archives = folder / "archives";
  const std::optional<patch_config> config = check_configuration(archives);
  if (!config) {
    return 1;
  }
  std::optional<patch_files> sealed;
  const std::optional<patch_files> files = check_patch_files(archives, *config, sealed);
  bool ready = files.has_value();
  if (is_game_running(widen_utf8(config->process_name))) {
    say("problem: " + config->process_name + " is running: the installer would ask the player to close it");
    ready = false;
  }
  const std::optional<fs::path> game = check_search(*config, archives, sealed ? &*sealed : nullptr);
  ready = ready && game && check_destinations(*files, *game);
  say(ready ? "ready: an installer run would copy the patch now" : "not ready: see the problems above");
  return ready ? 0 : 1;
}
