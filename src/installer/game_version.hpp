#pragma once

#include "install/copy.hpp"
#include "patch/patch_config.hpp"
#include "system/file_operations.hpp"
#include "system/install_log.hpp"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Why a folder does not hold a version of the game that the patch accepts:
// the first file, of the first version listed, that tells it apart.
struct version_mismatch {
  std::filesystem::path folder;
  std::string file;      // relative to the folder, as config.json names it
  bool missing = false;  // else it is there with other bytes
};

// Tells the versions of the game that config.json's game_versions lists
// from the others, by the SHA-256 of their files. A file that holds exactly
// the patch's own copy of it counts as the version's, so that a game the
// patch has already been installed into is still accepted. Hashes each file
// once, and remembers each folder's verdict for install_log.log.
class version_check {
 public:
  // `sealed` gives the patch's own copies' hashes when the patch is sealed;
  // else they are hashed from `archives` when needed.
  version_check(const patch_config& config, std::filesystem::path archives, const patch_files* sealed);

  // Nothing when `folder` holds an accepted version (always, when
  // config.json lists none), else the file that differs. Throws
  // installer_error when a file that is there cannot be read.
  std::optional<version_mismatch> mismatch(const std::filesystem::path& folder);

  // Adds a line to the search's log for each folder checked since the last
  // call, with its verdict. Throws only std::bad_alloc.
  void write_log(search_log& log);
  // Every verdict's line, each ending in "\n".
  const std::vector<std::wstring>& verdicts() const { return log_lines_; }

 private:
  std::optional<std::string> hash_of(const std::filesystem::path& file);
  std::optional<std::string> patch_copy_hash(const std::string& relative);

  const patch_config& config_;
  std::filesystem::path archives_;
  bool sealed_ = false;
  std::map<std::filesystem::path, std::string, file_name_less> sealed_hashes_;  // by place below archives
  std::map<std::filesystem::path, std::optional<std::string>> hashes_;
  std::vector<std::wstring> log_lines_;
  std::size_t written_ = 0;
};
