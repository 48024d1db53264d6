// Steam's files opened the way the Steam lookup opens them, on Wine's real
// file system, which enforces sharing as Windows does.
#include "system/shared_file.hpp"
#include "acf/acf_test_support.hpp"
#include "support/test_support.hpp"
#include "system/handle.hpp"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace test_support;

namespace {

// A manifest-shaped text with CR LF line ends, long enough that the stream
// reads it in several pieces, so most of it is read after the first unit.
std::string long_text_with_crlf() {
  std::string text = "\"AppState\"\r\n{\r\n";
  for (int line = 0; text.size() < 300'000; ++line) {
    text += "\t\"key" + std::to_string(line) + "\"\t\t\"value " + std::to_string(line) + "\"\r\n";
  }
  return text + "}\r\n";
}

// `text` with every CR LF pair as LF.
std::string with_lf(std::string text) {
  for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; ++at) text.erase(at, 1);
  return text;
}

// Whether `file` can be opened for reading with no sharing at all, which
// fails while any other handle to it is open.
bool opens_exclusively(const fs::path& file) {
  const unique_hfile handle(
      ::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(handle);
}

}  // namespace

TEST(shared_file, others_rename_and_delete_the_file_while_it_is_read) {
  struct row {
    const char* name;
    void (*act)(const fs::path& file);  // what another program does meanwhile
  };
  const row rows[] = {
      {"renamed, then deleted",
       [](const fs::path& file) {
         const fs::path renamed = fs::path(file).replace_extension(".old");
         ASSERT_TRUE(::MoveFileExW(file.c_str(), renamed.c_str(), 0)) << "error " << ::GetLastError();
         EXPECT_FALSE(fs::exists(file));
         EXPECT_TRUE(::DeleteFileW(renamed.c_str())) << "error " << ::GetLastError();
       }},
      {"deleted",
       [](const fs::path& file) {
         EXPECT_TRUE(::DeleteFileW(file.c_str())) << "error " << ::GetLastError();
       }},
  };
  const std::string content = long_text_with_crlf();
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    const temp_folder folder;
    const fs::path file = folder.path() / "appmanifest_480.acf";
    write_file(file, content);

    const unique_file opened = open_shared_text_file(file);
    acf_file_stream input(opened.get());
    char8_t first = u8'x';
    ASSERT_TRUE(input.get(first));
    EXPECT_EQ(first, u8'"');
    row.act(file);

    EXPECT_EQ(drain(input), with_lf(content).substr(1));
    EXPECT_TRUE(input.eof());
    EXPECT_FALSE(input.bad());
  }
}

TEST(shared_file, the_file_is_closed_with_its_owner) {
  const temp_folder folder;
  const fs::path file = folder.path() / "libraryfolders.vdf";
  write_file(file, "\"libraryfolders\"\r\n{\r\n}\r\n");
  {
    const unique_file opened = open_shared_text_file(file);
    ASSERT_TRUE(opened);
    EXPECT_FALSE(opens_exclusively(file));
  }
  EXPECT_TRUE(opens_exclusively(file));
}

TEST(shared_file, what_does_not_open_gives_no_file_and_a_stream_that_failed_already) {
  const temp_folder folder;
  struct row {
    const char* name;
    fs::path file;
  };
  const row rows[] = {
      {"missing file", folder.path() / "missing.vdf"},
      {"missing folder", folder.path() / "missing" / "libraryfolders.vdf"},
      {"a folder", folder.path()},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    const unique_file opened = open_shared_text_file(row.file);
    EXPECT_FALSE(opened);
    acf_file_stream input(opened.get());
    EXPECT_TRUE(input.fail());
    EXPECT_FALSE(input.bad());
    char8_t unit = u8'x';
    EXPECT_FALSE(input.get(unit));
    EXPECT_EQ(unit, u8'x');
  }
}
