#include "author/check.hpp"

#include "author/console.hpp"
#include "author/search_report.hpp"
#include "installer/archive_files.hpp"
#include "installer/sealed_patch.hpp"
#include "patch/config_lint.hpp"
#include "system/deploy.hpp"
#include "system/file_operations.hpp"
#include "system/process.hpp"
#include "system/sha256.hpp"
#include "system/text.hpp"

#include <optional>

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
bool check_seal(const fs::path& archives, const sealed_patch& patch) {
  const sha256 hasher;
  std::size_t bad = 0;
  for (std::size_t index = 0; index < patch.files.size(); ++index) {
    const fs::path& file = patch.files[index];
    if (examine_path(file).kind != path_kind::file) {
      say("  problem: " + shown(file, archives.parent_path()) + " is listed but missing");
      ++bad;
    } else if (to_hex(*hasher.of_file(file)) != patch.hashes[index]) {
      say("  problem: " + shown(file, archives.parent_path()) + " does not match its checksum");
      ++bad;
    }
  }
  say("  " + std::to_string(patch.files.size() - bad) + " of " + std::to_string(patch.files.size()) +
      " listed files match");
  return bad == 0;
}

// The patch files, checked against their seal when there is one.
std::optional<std::vector<fs::path>> check_patch_files(const fs::path& archives, const patch_config& config,
                                                       std::optional<sealed_patch>& sealed) {
  say("patch files");
  std::optional<std::vector<fs::path>> files;
  step("  reading the patch", [&] {
    if (config.checksums.empty()) {
      files = collect_archive_files(archives);
      say("  " + std::to_string(files->size()) + " files below archives; not sealed (no \"checksums\")");
      return;
    }
    error_location location;
    sealed = read_sealed_patch(archives, config, location);
    if (check_seal(archives, *sealed)) {
      files = sealed->files;
    }
  });
  return files;
}

std::optional<fs::path> check_search(const patch_config& config, const fs::path& archives,
                                     const sealed_patch* sealed) {
  say("game search on this machine");
  std::optional<fs::path> folder;
  step("  searching", [&] {
    version_check versions(config, archives, sealed);
    const game_search search = search_and_report(config, versions);
    folder = search.folder;
    if (folder) {
      say("  game folder: " + path_to_utf8(*folder));
    } else if (search.wrong) {
      say("  problem: no folder holds a version that the patch accepts");
    } else {
      say(std::string("  problem: the game was not found") +
          (config.ask_for_folder ? " (a player would be asked for its folder)" : ""));
    }
  });
  return folder;
}

bool check_destinations(const fs::path& archives, const std::vector<fs::path>& files, const fs::path& game) {
  say("what a run would do");
  return step("  placing the patch files", [&] {
    std::size_t replaced = 0;
    const std::vector<fs::path> relatives = patch_destinations(files, archives);
    for (const fs::path& relative : relatives) {
      const bool replaces = examine_path(game / relative).kind == path_kind::file;
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
  std::optional<sealed_patch> sealed;
  const std::optional<std::vector<fs::path>> files = check_patch_files(archives, *config, sealed);
  bool ready = files.has_value();
  if (is_game_running(widen_utf8(config->process_name))) {
    say("problem: " + config->process_name + " is running: the installer would ask the player to close it");
    ready = false;
  }
  const std::optional<fs::path> game = check_search(*config, archives, sealed ? &*sealed : nullptr);
  ready = ready && game && check_destinations(archives, *files, *game);
  say(ready ? "ready: an installer run would copy the patch now" : "not ready: see the problems above");
  return ready ? 0 : 1;
}
