#include "steam_install.hpp"

#include "acf_access.hpp"
#include "acf_parser.hpp"
#include "install_log.hpp"
#include "shared_file.hpp"
#include "steam_registry.hpp"
#include "text.hpp"

#include <fmt/format.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;

namespace {

// The first library whose manifest opens, or null. Text entries beside the
// numbered libraries (the Steam client writes "contentstatsid") are not
// libraries and are passed over without a log line.
const acf_object::value_type* find_manifest_library(const patch_config& config, const acf_object& libraries,
                                                    std::wostream& log) {
  for (const auto& entry : libraries) {
    if (std::holds_alternative<std::u8string>(entry.second)) {
      continue;
    }
    const library_candidate candidate = open_app_manifest(config, entry);
    const bool found = !candidate.manifest.fail();
    write_log_line(log, L"manifest found in {}: {}\n", candidate.library_folder.native(),
                   found ? L"true" : L"false");
    if (found) {
      return &entry;
    }
  }
  return nullptr;
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

}  // namespace

library_candidate open_app_manifest(const patch_config& config, const acf_object::value_type& entry) {
  const fs::path library(text_of(entry_of(object_of(entry.second), u8"path")));
  const fs::path manifest_name(fmt::format("appmanifest_{}.acf", config.steam_id));
  return {library.lexically_normal(),
          acf_file_stream(open_shared_text_file(library / "steamapps" / manifest_name))};
}

std::optional<fs::path> locate_steam_install(const patch_config& config) {
  std::wofstream log = open_install_log();
  const steam_path_read steam = read_steam_path();
  write_log_line(log, L"attempt to get Steam install path returned status {:#010x} and path {}\n",
                 static_cast<std::int32_t>(steam.status), steam.value);
  if (steam.status != 0) {
    return std::nullopt;
  }

  acf_parser parser;
  const fs::path steam_folder(steam.value.c_str());  // up to the first NUL
  acf_file_stream library_list_file(open_shared_text_file(steam_folder / "steamapps" / "libraryfolders.vdf"));
  acf_value library_list_document = parser.parse_acf(library_list_file);
  const acf_object& libraries = object_of(object_of(library_list_document)[u8"libraryfolders"]);

  const acf_object::value_type* library = find_manifest_library(config, libraries, log);
  if (!library) {
    write_log_line(log, L"no install folders found\n");
    return std::nullopt;
  }
  library_candidate candidate = open_app_manifest(config, *library);
  acf_value manifest = parser.parse_acf(candidate.manifest);
  const fs::path install_folder(
      text_of(entry_of(object_of(object_of(manifest)[u8"AppState"]), u8"installdir")));
  if (!names_own_folder(install_folder)) {
    throw std::runtime_error(fmt::format("the app manifest of Steam app {} in {} names no install folder",
                                         config.steam_id, path_to_utf8(candidate.library_folder)));
  }
  return candidate.library_folder / "steamapps\\common" / install_folder;
}
