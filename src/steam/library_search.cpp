#include "steam/library_search.hpp"

#include "acf/acf_access.hpp"
#include "acf/acf_stream.hpp"
#include "base/ascii.hpp"
#include "system/file_operations.hpp"
#include "system/shared_file.hpp"
#include "system/text.hpp"
#include "system/wine.hpp"

#include <fmt/format.h>

namespace fs = std::filesystem;

namespace {

fs::path manifest_name(const patch_config& config) {
  return fs::path(fmt::format("appmanifest_{}.acf", config.steam_id));
}

// Parses the open file `file`; one that did not open (empty) reads as an
// empty document.
acf_value parse_steam_file(acf_parser& parser, const unique_file& file) {
  acf_file_stream stream(file.get());
  return parser.parse_acf(stream);
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

// What names `path` whatever path leads to it; its text, letter case aside,
// for one that Windows cannot open.
std::wstring identity_of(const fs::path& path) {
  const result<std::wstring> identity = file_identity(path);
  if (identity) {
    return *identity;
  }
  return L"path " + ascii_lower(path.lexically_normal().native());
}

// The library that a library list's entry names, as the list writes it
// (Steam doubles its backslashes), or as Wine reaches a Unix path. Throws std::bad_variant_access or
// std::out_of_range when the entry is not an object with a text `path`, std::filesystem::filesystem_error
// when that path is not UTF-8.
[[nodiscard]] result<fs::path> library_of(const acf_value& entry, path_form form) {
  const std::u8string& text = text_of(entry_of(object_of(entry), u8"path"));
  if (form == path_form::windows) {
    return fs::path(text);
  }
  return dos_path_of_unix(std::string(text.begin(), text.end()));
}

}  // namespace

bool library_search::first_reading_of(const fs::path& file) { return read_.insert(identity_of(file)).second; }

unique_file library_search::manifest_in(const fs::path& library, const fs::path& written, bool again) {
  libraries_.push_back(library);
  if (!read_.insert(identity_of(library)).second && !again) {
    log_.write(L"Steam library {} passed over: searched already\n", library.native());
    return {};
  }
  unique_file manifest = open_shared_text_file(written / "steamapps" / manifest_name(config_));
  log_.write(L"manifest found in {}: {}\n", library.native(), manifest ? L"true" : L"false");
  return manifest;
}

std::optional<fs::path> library_search::in_library_list(const fs::path& list_file, path_form form) {
  std::optional<fs::path> library;
  unique_file manifest;
  {
    // The library entries are read while the search visits them.
    const reading_scope reading(log_.location(), list_file.lexically_normal());
    acf_value list_document = parse_steam_file(parser_, open_shared_text_file(list_file));
    library = holding_manifest(object_of(object_of(list_document)[u8"libraryfolders"]), form, manifest);
  }
  if (!library) {
    log_.write(L"no install folders found\n");
    return std::nullopt;
  }
  return game_folder_in(*library, manifest);
}

std::optional<fs::path> library_search::holding_manifest(const acf_object& libraries, path_form form,
                                                         unique_file& manifest) {
  for (const auto& entry : libraries) {
    // Text entries beside the numbered libraries (the Steam client writes
    // "contentstatsid") are not libraries and are passed over silently.
    if (std::holds_alternative<std::u8string>(entry.second)) {
      continue;
    }
    const result<fs::path> library = library_of(entry.second, form);
    if (!library) {
      log_.write(L"Steam library passed over: {}\n", widen_utf8(library.error().what));
      continue;
    }
    const fs::path normal = library->lexically_normal();
    // The Windows client's list is searched entry by entry as it always
    // was; only Steam for Linux's, read after it, pass over a library read
    // before.
    manifest = manifest_in(normal, *library, form == path_form::windows);
    if (manifest) {
      return normal;
    }
  }
  return std::nullopt;
}

std::optional<fs::path> library_search::in_library(const fs::path& library) {
  const unique_file manifest = manifest_in(library, library, false);
  return manifest ? game_folder_in(library, manifest) : std::nullopt;
}

std::optional<fs::path> library_search::game_folder_in(const fs::path& library, const unique_file& manifest) {
  fs::path install_folder;
  {
    const reading_scope reading(log_.location(), library / "steamapps" / manifest_name(config_));
    acf_value document = parse_steam_file(parser_, manifest);
    install_folder =
        fs::path(text_of(entry_of(object_of(object_of(document)[u8"AppState"]), u8"installdir")));
  }
  if (!names_own_folder(install_folder)) {
    throw installer_error(fmt::format("the app manifest of Steam app {} in {} names no install folder",
                                      config_.steam_id, path_to_utf8(library)));
  }
  fs::path game_folder = library / "steamapps\\common" / install_folder;
  // A manifest left behind by a game that was moved or deleted by hand.
  if (!is_existing_folder(game_folder)) {
    log_.write(L"install folder {} does not exist\n", game_folder.native());
    return std::nullopt;
  }
  return game_folder;
}
