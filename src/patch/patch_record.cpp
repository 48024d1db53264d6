#include "patch/patch_record.hpp"

#include "patch/checksums.hpp"
#include "patch/relative_path.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <set>
#include <string_view>

namespace {

using nlohmann::json;

// Bumped when a later installer stores something an older one must not
// take for a record it understands.
constexpr int record_format = 1;

// Whether `document` says it is of the format this installer reads. The
// number is compared as JSON, not converted: a format of 1e300 or 1.5 is
// another format, not an int out of range or a 1.
bool of_record_format(const json& document) {
  const json& format = document.at("format");
  return format.is_number_integer() && format == record_format;
}

// Whether Windows takes `stem`, a name in lower case without its extension,
// for a device: the console, a printer, a serial or parallel port, or
// nothing at all. A port's number may be one of the superscripts 1 to 3.
bool is_device(std::string_view stem) {
  for (const std::string_view device : {"con", "prn", "aux", "nul", "conin$", "conout$"}) {
    if (stem == device) {
      return true;
    }
  }
  if (stem.size() < 4 || !(stem.starts_with("com") || stem.starts_with("lpt"))) {
    return false;
  }
  const std::string_view number = stem.substr(3);
  return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" ||
         number == "\xC2\xB2" || number == "\xC2\xB3";
}

// Whether Windows opens what `element` says. It drops the dots and spaces
// that end a name, so that "a.dat." is "a.dat", and takes the name of a
// device for the device whatever its extension, the spaces before that and
// the folder it is in: "Data/nul.txt" is no file at all.
bool names_itself(std::string_view element) {
  if (element.empty() || element.back() == '.' || element.back() == ' ') {
    return false;
  }
  // Characters that Windows does not allow in a name: a NUL would cut the
  // path short ("..\0x" is ".."), '*' and '?' are wildcards.
  if (std::any_of(element.begin(), element.end(), [](char unit) {
        return static_cast<unsigned char>(unit) < 0x20 ||
               std::string_view("<>\"|?*").find(unit) != std::string_view::npos;
      })) {
    return false;
  }
  std::string stem = ascii_lower(element.substr(0, element.find('.')));
  stem.erase(stem.find_last_not_of(' ') + 1);
  return !is_device(stem);
}

// `path` when it is a relative path in the form the installer stores and
// every element names the file it says, else a record_error.
std::string checked_path(const std::string& path) {
  const auto normalized = normalized_relative_path(path);
  bool trusted = normalized && *normalized == path;
  for (std::size_t start = 0; trusted && start < path.size();) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    trusted = names_itself(std::string_view(path).substr(start, end - start));
    start = end + 1;
  }
  if (!trusted) {
    throw record_error("the record names a path outside the game folder: " + path);
  }
  return path;
}

std::vector<std::string> checked_paths(const json& document, const char* member) {
  std::vector<std::string> paths;
  for (const std::string& path : document.at(member).get<std::vector<std::string>>()) {
    paths.push_back(checked_path(path));
  }
  return paths;
}

// Every written file must be one the record created or replaced, and the
// other way round, letter case aside as Windows compares names.
void check_written(const patch_record& record) {
  std::set<std::string> touched;
  for (const auto* list : {&record.created_files, &record.replaced_files}) {
    for (const std::string& path : *list) {
      if (!touched.insert(ascii_lower(path)).second) {
        throw record_error("the record names a file twice: " + path);
      }
    }
  }
  std::set<std::string> written;
  for (const auto& [path, hash] : record.written) {
    if (!normalized_sha256(hash) || *normalized_sha256(hash) != hash) {
      throw record_error("the record holds no SHA-256 for " + path);
    }
    written.insert(ascii_lower(checked_path(path)));
  }
  if (written != touched) {
    throw record_error("the record's written files are not the files it created and replaced");
  }
}

}  // namespace

std::string record_json(const patch_record& record) {
  const json document = {
      {"format", record_format},
      {"patch_id", record.patch_id},
      {"patch_name", record.patch_name},
      {"game_name", record.game_name},
      {"created_files", record.created_files},
      {"replaced_files", record.replaced_files},
      {"created_folders", record.created_folders},
      {"written", record.written},
  };
  return document.dump(2) + "\n";
}

patch_record read_patch_record(std::string_view text) {
  try {
    const json document = json::parse(text);
    if (!of_record_format(document)) {
      throw record_error("the record is of another format");
    }
    patch_record record;
    record.patch_id = document.at("patch_id").get<std::string>();
    record.patch_name = document.at("patch_name").get<std::string>();
    record.game_name = document.at("game_name").get<std::string>();
    record.created_files = checked_paths(document, "created_files");
    record.replaced_files = checked_paths(document, "replaced_files");
    record.created_folders = checked_paths(document, "created_folders");
    record.written = document.at("written").get<std::map<std::string, std::string>>();
    check_written(record);
    return record;
  } catch (const json::exception& error) {
    throw record_error(std::string("the record is not readable: ") + error.what());
  }
}

std::string created_paths_json(const created_paths& created) {
  return json{{"format", record_format},
              {"created_files", created.files},
              {"created_folders", created.folders}}
             .dump() +
         "\n";
}

created_paths read_created_paths(std::string_view text) {
  try {
    const json document = json::parse(text);
    if (!of_record_format(document)) {
      throw record_error("the list of created files is of another format");
    }
    return {checked_paths(document, "created_files"), checked_paths(document, "created_folders")};
  } catch (const json::exception& error) {
    throw record_error(std::string("the list of created files is not readable: ") + error.what());
  }
}
