#include "installer/game_version.hpp"

#include "system/file_operations.hpp"
#include "system/install_log.hpp"
#include "system/sha256.hpp"
#include "system/text.hpp"

namespace fs = std::filesystem;

version_check::version_check(const patch_config& config, fs::path archives, const sealed_patch* sealed)
    : config_(config), archives_(std::move(archives)), sealed_(sealed) {}

version_check::~version_check() = default;

std::optional<std::string> version_check::hash_of(const fs::path& file) {
  if (const auto known = hashes_.find(file); known != hashes_.end()) {
    return known->second;
  }
  std::optional<std::string> hash;
  if (examine_path(file).kind == path_kind::file) {
    if (!hasher_) {
      hasher_ = std::make_unique<sha256>();
    }
    hash = to_hex(*hasher_->of_file(file));
  }
  return hashes_[file] = hash;
}

std::optional<std::string> version_check::patch_copy_hash(const std::string& relative) {
  const fs::path copy = archives_ / path_from_utf8(relative);
  if (!sealed_) {
    return hash_of(copy);
  }
  for (std::size_t index = 0; index < sealed_->files.size(); ++index) {
    if (same_file_name(sealed_->files[index], copy)) {
      return sealed_->hashes[index];
    }
  }
  return std::nullopt;
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
          log_safe(fmt::format(L"version check of {}: {}\n", folder.native(), widen_utf8(version.name))));
      return std::nullopt;
    }
    if (!first) {
      first = differs;
    }
  }
  if (first) {
    log_lines_.push_back(
        log_safe(fmt::format(L"version check of {}: another version, {} {}\n", folder.native(),
                             widen_utf8(first->file), first->missing ? L"is missing" : L"differs")));
  }
  return first;
}

void version_check::write_log(search_log& log) const {
  if (log_lines_.empty()) {
    return;
  }
  std::wostream& lines = log.lines();
  for (const std::wstring& line : log_lines_) {
    lines << line;
  }
}
