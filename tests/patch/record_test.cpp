#include "patch/patch_record.hpp"
#include "support/files.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <ostream>
#include <string>

namespace {

const std::string hash(64, 'c');

patch_record sample() {
  return {"0123456789abcdef",
          "Перевод 1.1",
          "Starfall Tactics",
          {"Data/Maps/new.map"},
          {"Data/balance.ini"},
          {"Data/Maps"},
          {{"Data/Maps/new.map", hash}, {"Data/balance.ini", hash}}};
}

// The record's JSON with `member` set to `value`.
std::string with(const char* member, const nlohmann::json& value) {
  nlohmann::json document = nlohmann::json::parse(record_json(sample()));
  document[member] = value;
  return document.dump();
}

// Each list of the record, and how `path` takes the place of a path in it
// with the record kept consistent: a file created or replaced is written
// too. A path that only written names is not consistent, but written is
// checked after the lists: that is the one way to reach its check.
using path_setter = void (*)(patch_record&, const std::string&);
const std::pair<const char*, path_setter> lists[] = {
    {"created_files",
     [](patch_record& record, const std::string& path) {
       record.created_files = {path};
       record.written = {{path, hash}, {"Data/balance.ini", hash}};
     }},
    {"replaced_files",
     [](patch_record& record, const std::string& path) {
       record.replaced_files = {path};
       record.written = {{"Data/Maps/new.map", hash}, {path, hash}};
     }},
    {"created_folders",
     [](patch_record& record, const std::string& path) { record.created_folders = {path}; }},
    {"written", [](patch_record& record, const std::string& path) { record.written.emplace(path, hash); }},
};

}  // namespace

// Lets GoogleTest show a record that fails a comparison.
void PrintTo(const patch_record& record, std::ostream* out) { *out << record_json(record); }

TEST(patch_record, reads_back_what_it_stored) {
  EXPECT_EQ(read_patch_record(record_json(sample())), sample());
}

// Records as the installer stores them, with non-ASCII names, many files and
// nested folders, read and stored again byte for byte.
TEST(patch_record, reads_real_shaped_records) {
  std::size_t records = 0;
  for (const auto& entry : std::filesystem::directory_iterator(RECORD_TEST_DATA)) {
    if (entry.path().extension() != ".json") {
      continue;  // a path alone, for the fuzzer
    }
    SCOPED_TRACE(entry.path().filename().string());
    const std::string stored = test_support::read_file(entry.path());
    EXPECT_EQ(record_json(read_patch_record(stored)), stored);
    ++records;
  }
  EXPECT_GE(records, 4u);
}

// The removal deletes and moves exactly what the record names: a record
// that was cut short or changed by hand must never reach outside the game
// folder or leave a written file unaccounted for.
TEST(patch_record, refuses_a_record_that_cannot_be_trusted) {
  const std::string whole = record_json(sample());
  const std::pair<const char*, std::string> rows[] = {
      {"cut short", whole.substr(0, whole.size() / 2)},
      {"another format", with("format", 2)},
      {"a format no int holds", with("format", 1e300)},
      {"a format that is no whole number", with("format", 1.5)},
      {"a format in words", with("format", "1")},
      {"a path that climbs out", with("created_files", {"../../Windows/win.ini"})},
      {"an absolute path", with("replaced_files", {"C:/Windows/win.ini"})},
      {"a backslash path", with("created_folders", {"Data\\Maps"})},
      {"a stream", with("created_files", {"Data/Maps/new.map:evil"})},
      {"a written file neither created nor replaced",
       with("written", {{"Data/Maps/new.map", hash}, {"Data/balance.ini", hash}, {"other.dll", hash}})},
      {"a replaced file without its hash", with("written", {{"Data/Maps/new.map", hash}})},
      {"no SHA-256", with("written", {{"Data/Maps/new.map", "c"}, {"Data/balance.ini", hash}})},
      {"one file both created and replaced, in another letter case",
       with("replaced_files", {"Data/balance.ini", "DATA/MAPS/NEW.MAP"})},
      {"a member of the wrong type", with("created_files", "Data/Maps/new.map")},
  };
  for (const auto& [name, text] : rows) {
    EXPECT_THROW(read_patch_record(text), record_error) << name;
  }
}

// The removal deletes and moves exactly these paths, through Windows: each
// row is refused in every list, for its path alone.
TEST(patch_record, refuses_a_path_that_reaches_outside_the_game_folder) {
  const std::string paths[] = {
      // climbing out, absolute, a drive, a stream
      "..", "Data/../../x", "/x", "C:/x", "\\\\server\\share\\x", "C:x", "a.dat:evil", "a.dat::$DATA",
      // devices
      "CON", "nul.txt", "Data/COM1", "LPT9.log", "aux", "cOn.Dat", "NUL .txt", "COM\xC2\xB9",
      // characters Windows does not allow in a name
      std::string("..\0/Windows", 11), "Data/*", "a?.dat", "a\x01.dat", "a|b",
      // names Windows cuts short, empty elements, another form
      "a.dat.", "a.dat ", "Data./a.dat", "Data /a.dat", "...", "", "Data//a.dat", "Data/", "./a.dat",
      "Data\\a.dat"};
  for (const std::string& path : paths) {
    for (const auto& [list, set_path] : lists) {
      SCOPED_TRACE(list + (" holds " + path));
      patch_record record = sample();
      set_path(record, path);
      try {
        static_cast<void>(read_patch_record(record_json(record)));
        ADD_FAILURE() << "read";
      } catch (const record_error& error) {
        EXPECT_STREQ(error.what(), ("the record names a path outside the game folder: " + path).c_str());
      }
    }
    // A killed run's list of what it created, whose files the next run deletes.
    for (const created_paths& created : {created_paths{{path}, {}}, created_paths{{}, {path}}}) {
      SCOPED_TRACE("the list of what a run creates holds " + path);
      EXPECT_THROW(static_cast<void>(read_created_paths(created_paths_json(created))), record_error);
    }
  }
}

TEST(patch_record, a_list_of_what_a_run_creates_reads_back_whole_or_not_at_all) {
  const created_paths created{{"Voices/1/line.ogg", "dinput8.dll"}, {"Voices", "Voices/1"}};
  const std::string stored = created_paths_json(created);
  EXPECT_EQ(read_created_paths(stored), created);
  // Killed while it was written: no list, rather than a part of one.
  EXPECT_THROW(static_cast<void>(read_created_paths(stored.substr(0, stored.size() / 2))), record_error);
  for (const nlohmann::json& format : {nlohmann::json(2), nlohmann::json(1e300), nlohmann::json(1.5)}) {
    nlohmann::json document = nlohmann::json::parse(stored);
    document["format"] = format;
    EXPECT_THROW(static_cast<void>(read_created_paths(document.dump())), record_error) << format;
  }
}

TEST(patch_record, reads_names_that_only_resemble_those_windows_takes_apart) {
  for (const std::string path : {"CONSOLE.ini", "Data/COM10.dat", "nullable", "LPT.txt", ".config", "a..b",
                                 "Caf\xC3\xA9/\xC3\x89t\xC3\xA9 1.txt"}) {
    for (const auto& [list, set_path] : lists) {
      SCOPED_TRACE(list + (" holds " + path));
      patch_record record = sample();
      set_path(record, path);
      if (std::string_view(list) == "written") {
        record.created_files.push_back(path);
      }
      EXPECT_EQ(read_patch_record(record_json(record)), record);
    }
  }
}
