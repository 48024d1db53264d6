#include "installer/game_version.hpp"

#include "system/sha256.hpp"
#include "system/text.hpp"

namespace fs = std::filesystem;

version_check::version_check(const patch_config& config, fs::path archives, const patch_files* sealed)
    : config_(config), archives_(std::move(archives)), sealed_(sealed != nullptr) {
  if (sealed) {
    for (std::size_t index = 0; index < sealed->destinations.size(); ++index) {
      sealed_hashes_.emplace(sealed->destinations[index], sealed->hashes[index]);
    }
  }
}

std::optional<std::string> version_check::hash_of(const fs::path& file) {
  if (const auto known = hashes_.find(file); known != hashes_.end()) {
    return known->second;
  }
  std::optional<std::string> hash;
  if (examine_path(file).value_or(path_kind::none) == path_kind::file) {
    hash = or_throw(sha256_of_files({file})).front();
  }
  return hashes_[file] = hash;
}

std::optional<std::string> version_check::patch_copy_hash(const std::string& relative) {
  if (!sealed_) {
    return hash_of(archives_ / path_from_utf8(relative));
  }
  const auto found = sealed_hashes_.find(path_from_utf8(relative));
  return found == sealed_hashes_.end() ? std::nullopt : std::optional(found->second);
}

std::optional<version_mismatch> version_check::mismatch(const fs::path& folder) {
  std::optional<version_mismatch> first;
  for (const game_version& version : config_.game_versions) {
    std::optional<version_mismatch> differs;
    for (const auto& [relative, expected] : version.files) {
      const std::optional<std::string> found = hash_of(folder / path_from_utf8(relative));
      if (found == expected || (found && found == patch_copy_hash(relative))) {
        continue;
      }
      differs = version_mismatch{folder, relative, !found};
      break;
    }
    if (!differs) {
      log_lines_.push_back(
          fmt::format(L"version check of {}: {}\n", folder.native(), widen_utf8(version.name)));
      return std::nullopt;
    }
    if (!first) {
      first = differs;
    }
  }
  if (first) {
    log_lines_.push_back(fmt::format(L"version check of {}: another version, {} {}\n", folder.native(),
                                     widen_utf8(first->file), first->missing ? L"is missing" : L"differs"));
  }
  return first;
}

void version_check::write_log(search_log& log) {
  for (; written_ < log_lines_.size(); ++written_) {
    log.write_line(log_lines_[written_]);
  }
}
