#include "steam/steam_install.hpp"

#include "acf/acf_access.hpp"
#include "acf/acf_parser.hpp"
#include "acf/acf_stream.hpp"
#include "system/file_operations.hpp"
#include "system/install_log.hpp"
#include "system/registry.hpp"
#include "system/shared_file.hpp"
#include "system/text.hpp"

#include <fmt/format.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;

namespace {

// One library of the search, with its app manifest opened.
struct library_candidate {
  fs::path library_folder;  // the library's path, lexically normal
  unique_file manifest;     // empty when the manifest did not open
};

fs::path manifest_name(const patch_config& config) {
  return fs::path(fmt::format("appmanifest_{}.acf", config.steam_id));
}

// Parses the open file `file`; one that did not open (empty) reads as an
// empty document.
acf_value parse_steam_file(acf_parser& parser, const unique_file& file) {
  acf_file_stream stream(file.get());
  return parser.parse_acf(stream);
}

// Opens the game's app manifest in the library of `entry` (an entry of
// libraryfolders.vdf's library list), through the library's path as written.
// Throws std::bad_variant_access or std::out_of_range when the entry is not
// an object with a text `path`, std::filesystem::filesystem_error when that
// path is not UTF-8.
library_candidate open_app_manifest(const patch_config& config, const acf_object::value_type& entry) {
  const fs::path library(text_of(entry_of(object_of(entry.second), u8"path")));
  return {library.lexically_normal(), open_shared_text_file(library / "steamapps" / manifest_name(config))};
}

// The first library whose manifest opens, with that manifest open, or
// nothing. Text entries beside the numbered libraries (the Steam client
// writes "contentstatsid") are not libraries and are passed over without a
// log line.
std::optional<library_candidate> find_manifest_library(const patch_config& config,
                                                       const acf_object& libraries, search_log& log) {
  for (const auto& entry : libraries) {
    if (std::holds_alternative<std::u8string>(entry.second)) {
      continue;
    }
    library_candidate candidate = open_app_manifest(config, entry);
    const bool found = static_cast<bool>(candidate.manifest);
    log.write(L"manifest found in {}: {}\n", candidate.library_folder.native(), found ? L"true" : L"false");
    if (found) {
      return candidate;
    }
  }
  return std::nullopt;
}

// Whether `install_folder`, from an app manifest, names a folder of its own
// below steamapps\common. Windows drops the dots and spaces that end a name,
// so a part made of nothing else (".", "..", "...", " ") stays where it is or
// climbs out, and the patch would land beside every other game or above
// them. A full path is taken as it is; one with a drive or root alone would
// depend on the current folder.
bool names_own_folder(const fs::path& install_folder) {
  if (install_folder.is_absolute()) {
    return true;
  }
  if (install_folder.has_root_path()) {
    return false;
  }
  bool named = false;
  for (const fs::path& part : install_folder) {
    if (part.empty()) {
      continue;  // doubled or trailing separators
    }
    if (part.native().find_first_not_of(L". ") == std::wstring::npos) {
      return false;
    }
    named = true;
  }
  return named;
}

// The installdir that the manifest of `candidate` names.
fs::path read_install_dir(acf_parser& parser, const library_candidate& candidate, const patch_config& config,
                          error_location& location) {
  const reading_scope reading(location, candidate.library_folder / "steamapps" / manifest_name(config));
  acf_value manifest = parse_steam_file(parser, candidate.manifest);
  return fs::path(text_of(entry_of(object_of(object_of(manifest)[u8"AppState"]), u8"installdir")));
}

// The game's folder in the libraries that libraryfolders.vdf lists; empty
// when no library holds the manifest.
std::optional<fs::path> install_folder_from_libraries(const patch_config& config,
                                                      const fs::path& steam_folder, search_log& log) {
  error_location& location = log.location();
  acf_parser parser;
  const fs::path list_file = steam_folder / "steamapps" / "libraryfolders.vdf";
  std::optional<library_candidate> candidate;
  {
    // The library entries are read while the search visits them.
    const reading_scope reading(location, list_file.lexically_normal());
    acf_value list_document = parse_steam_file(parser, open_shared_text_file(list_file));
    candidate = find_manifest_library(config, object_of(object_of(list_document)[u8"libraryfolders"]), log);
  }
  if (!candidate) {
    log.write(L"no install folders found\n");
    return std::nullopt;
  }
  const fs::path install_folder = read_install_dir(parser, *candidate, config, location);
  if (!names_own_folder(install_folder)) {
    throw installer_error(fmt::format("the app manifest of Steam app {} in {} names no install folder",
                                      config.steam_id, path_to_utf8(candidate->library_folder)));
  }
  fs::path game_folder = candidate->library_folder / "steamapps\\common" / install_folder;
  // A manifest left behind by a game that was moved or deleted by hand.
  if (!is_existing_folder(game_folder)) {
    log.write(L"install folder {} does not exist\n", game_folder.native());
    return std::nullopt;
  }
  return game_folder;
}

}  // namespace

std::optional<fs::path> locate_steam_install(const patch_config& config, search_log& log) {
  const result<std::wstring> steam =
      read_registry_string(HKEY_CURRENT_USER, L"Software\\Valve\\Steam", L"SteamPath", registry_view::native);
  log.write(L"attempt to get Steam install path returned status {:#010x} and path {}\n",
            static_cast<std::int32_t>(registry_status(steam)), steam.value_or(std::wstring()));
  if (!steam) {
    return std::nullopt;
  }
  const fs::path steam_folder(steam->c_str());  // up to the first NUL
  // A value that an uninstalled Steam left behind: Steam is not here, as
  // for no value at all. (An empty value names the current folder.)
  if (examine_path(steam_folder.empty() ? fs::path(".") : steam_folder).value_or(path_kind::none) !=
      path_kind::folder) {
    log.write(L"Steam folder {} does not exist\n", steam_folder.native());
    return std::nullopt;
  }
  return install_folder_from_libraries(config, steam_folder, log);
}
