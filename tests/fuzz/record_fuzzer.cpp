// Feeds arbitrary bytes to the reader of a patch record, whose paths the
// removal deletes and moves, and to the reader of a run's list of what it
// creates, whose files the next run deletes after a kill. Its own record_error is how it refuses bad
// input. Every path of a record that it accepts must pass a check of the
// fuzzer's own, written apart from the reader's: relative, elements between
// '/' neither empty nor "." nor "..", no ':' or '\', no character that
// Windows does not allow in a name, no device's name, no dot or space at the
// end of an element. And the record must read back the same from the bytes
// that record_json makes of it. The bytes are read as a record and, when no
// longer than a path, as a path in each list of an otherwise valid record:
// the paths among the seeds then reach the reader's check of paths with each
// change, not only the few changes that leave the JSON around a path whole.

#include "patch/patch_record.hpp"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

namespace {

// Windows' own limit for a path, more than any path below a game folder.
constexpr std::size_t longest_path = 260;

void require(bool condition) {
  if (!condition) std::abort();
}

// Every device name in capitals, the superscript port numbers in UTF-8.
std::set<std::string> device_names() {
  std::set<std::string> names{"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const std::string port : {"COM", "LPT"}) {
    for (const std::string number :
         {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "\xC2\xB9", "\xC2\xB2", "\xC2\xB3"}) {
      names.insert(port + number);
    }
  }
  return names;
}

// Whether Windows takes `element` for a device: its part before the first
// dot, spaces at its end aside, is a device's name in any letter case.
bool is_device(std::string_view element) {
  static const std::set<std::string> devices = device_names();
  std::string stem(element.substr(0, element.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (char& unit : stem) {
    if (unit >= 'a' && unit <= 'z') unit = static_cast<char>(unit - 'a' + 'A');
  }
  return devices.count(stem) != 0;
}

// Whether `element`, a name between slashes, is one that Windows opens as
// it is written.
bool is_plain_element(std::string_view element) {
  for (const char unit : element) {
    if (static_cast<unsigned char>(unit) < 0x20 ||
        std::string_view(":\\<>\"|?*").find(unit) != std::string_view::npos) {
      return false;
    }
  }
  return !element.empty() && element != "." && element != ".." && element.back() != '.' &&
         element.back() != ' ' && !is_device(element);
}

// Whether `path` names a file or folder below the game folder, and the one
// it says.
bool is_plain_path(std::string_view path) {
  for (;;) {
    const std::size_t slash = path.find('/');
    if (!is_plain_element(path.substr(0, slash))) return false;
    if (slash == std::string_view::npos) return true;
    path.remove_prefix(slash + 1);
  }
}

// Reads `stored` as the removal would, and checks what the reader accepts.
void check_record(std::string_view stored) {
  patch_record record;
  try {
    record = read_patch_record(stored);
  } catch (const record_error&) {
    return;
  }
  for (const auto* list : {&record.created_files, &record.replaced_files, &record.created_folders}) {
    for (const std::string& path : *list) require(is_plain_path(path));
  }
  for (const auto& [path, hash] : record.written) require(is_plain_path(path));
  require(read_patch_record(record_json(record)) == record);
}

// Reads `stored` as the recovery of a killed run reads its list of what it
// created, whose files it deletes.
void check_created_list(std::string_view stored) {
  created_paths created;
  try {
    created = read_created_paths(stored);
  } catch (const record_error&) {
    return;
  }
  for (const auto* list : {&created.files, &created.folders}) {
    for (const std::string& path : *list) require(is_plain_path(path));
  }
  require(read_created_paths(created_paths_json(created)) == created);
}

// `path` in each list of a record that is otherwise valid, so that every
// change to the bytes is a change to a path rather than to the JSON around
// it.
void check_path_in_each_list(const std::string& path) {
  const std::string hash(64, 'a');
  patch_record records[3] = {};
  records[0].created_files = {path};
  records[0].written = {{path, hash}};
  records[1].replaced_files = {path};
  records[1].written = {{path, hash}};
  records[2].created_folders = {path};
  for (patch_record& record : records) {
    record.patch_id = "0123456789abcdef";
    std::string stored;
    try {
      stored = record_json(record);
    } catch (const nlohmann::json::type_error&) {
      return;  // not UTF-8, which no record's JSON holds
    }
    check_record(stored);
  }
  check_created_list(created_paths_json({{path}, {path}}));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  check_record(bytes);
  check_created_list(bytes);
  if (size <= longest_path) {
    check_path_in_each_list(bytes);
  }
  return 0;
}
