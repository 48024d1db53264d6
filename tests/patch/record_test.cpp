#include "patch/patch_record.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

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

}  // namespace

// Lets GoogleTest show a record that fails a comparison.
void PrintTo(const patch_record& record, std::ostream* out) { *out << record_json(record); }

TEST(patch_record, reads_back_what_it_stored) {
  EXPECT_EQ(read_patch_record(record_json(sample())), sample());
}

// The removal deletes and moves exactly what the record names: a record
// that was cut short or changed by hand must never reach outside the game
// folder or leave a written file unaccounted for.
TEST(patch_record, refuses_a_record_that_cannot_be_trusted) {
  const std::string whole = record_json(sample());
  const std::pair<const char*, std::string> rows[] = {
      {"cut short", whole.substr(0, whole.size() / 2)},
      {"another format", with("format", 2)},
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
