#pragma once

#include "acf/acf_parser.hpp"
#include "patch/patch_config.hpp"
#include "system/handle.hpp"
#include "system/install_log.hpp"

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

// How a library list names its libraries: as Windows paths (the Steam
// client for Windows), or as Unix paths (Steam for Linux, read under Wine).
enum class path_form { windows, unix_path };

// One search of Steam's libraries for the game's app manifest: one parser
// for every file in turn, and the libraries and library lists read so far,
// so that none is read twice. Every step writes its line to the log; a
// failure records its Steam file in the log's location.
class library_search {
 public:
  library_search(const patch_config& config, search_log& log) : config_(config), log_(log) {}

  // The game's folder from the library list `list_file`: in the first of its
  // libraries (in key order) that holds the game's app manifest,
  // <library>\steamapps\common\<installdir>; nothing when none holds it or
  // that folder does not exist. A library read before is passed over, as is
  // a Unix path that Wine names no drive for. Throws the parser's errors for
  // a malformed file, std::bad_variant_access or std::out_of_range for one
  // that lacks what it needs, std::filesystem::filesystem_error for a path
  // that is not UTF-8, and installer_error for a manifest whose installdir
  // names no folder.
  std::optional<std::filesystem::path> in_library_list(const std::filesystem::path& list_file,
                                                       path_form form);

  // The game's folder in the library `library` when it holds the game's app
  // manifest, and it was not read before; throws as in_library_list.
  std::optional<std::filesystem::path> in_library(const std::filesystem::path& library);

  // Whether `file` (a library list) is read for the first time: false for a
  // second path to one (a link), which is then passed over. Notes it.
  bool first_reading_of(const std::filesystem::path& file);

  // Every library looked into so far, in order.
  const std::vector<std::filesystem::path>& libraries() const { return libraries_; }
  search_log& log() const { return log_; }

 private:
  // The first of `libraries` (a library list's entries) whose app manifest
  // opens, with that manifest open in `manifest`.
  std::optional<std::filesystem::path> holding_manifest(const acf_object& libraries, path_form form,
                                                        unique_file& manifest);
  std::optional<std::filesystem::path> game_folder_in(const std::filesystem::path& library,
                                                      const unique_file& manifest);
  // Notes `library` as looked into, and opens its app manifest through
  // `written`, the path as its list writes it, as the Steam client does;
  // nothing, and logged, when it does not open or, unless `again`, when the
  // library was looked into before.
  unique_file manifest_in(const std::filesystem::path& library, const std::filesystem::path& written,
                          bool again);

  const patch_config& config_;
  search_log& log_;
  acf_parser parser_;
  std::set<std::wstring> read_;  // what names each library and list read, whatever the path to it
  std::vector<std::filesystem::path> libraries_;
};
