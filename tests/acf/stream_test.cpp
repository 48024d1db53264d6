#include "acf/acf_stream.hpp"
#include "acf/acf_test_support.hpp"
#include "support/files.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>
#include <variant>

namespace fs = std::filesystem;

namespace {

using test_support::temp_folder;
using test_support::write_file;

// Every byte value but those a Windows text-mode read translates (CR, LF and
// Ctrl-Z), repeated to `size` bytes.
std::string varied_bytes(std::size_t size) {
  std::string bytes;
  for (std::size_t i = 0; bytes.size() < size; ++i) {
    const char byte = static_cast<char>(i % 256);
    if (byte != '\r' && byte != '\n' && byte != '\x1A') bytes += byte;
  }
  return bytes;
}

}  // namespace

TEST(acf_stream, memory_delivers_every_byte_then_fails_at_the_end) {
  std::u8string all_bytes;
  for (int byte = 0; byte < 256; ++byte) all_bytes += static_cast<char8_t>(byte);
  acf_stream input(all_bytes);
  EXPECT_TRUE(input.good());
  EXPECT_EQ(drain(input), as_chars(all_bytes));
  EXPECT_TRUE(input.eof());
  EXPECT_TRUE(input.fail());
  EXPECT_FALSE(input.bad());
  char8_t unit = u8'x';
  EXPECT_FALSE(input.get(unit));
  EXPECT_EQ(static_cast<char>(unit), 'x');
}

TEST(acf_stream, file_delivers_its_bytes_across_buffer_refills) {
  const temp_folder folder;
  const std::string content = varied_bytes(200'000);
  const test_file file = open_text_file(write_file(folder.path() / "big.bin", content));
  acf_file_stream input(file.get());
  EXPECT_TRUE(input.good());
  EXPECT_EQ(drain(input), content);
  EXPECT_TRUE(input.eof());
  EXPECT_FALSE(input.bad());
}

// Text mode: Windows reads CR LF as LF, other systems keep the bytes.
TEST(acf_stream, file_is_read_in_text_mode) {
  const temp_folder folder;
  const test_file file = open_text_file(write_file(folder.path() / "lines.vdf", "\"k\"\r\n\"a\r\nb\"\r\n"));
  acf_file_stream input(file.get());
#ifdef _WIN32
  const char* expected = "{\"k\":\"a\nb\"}";
#else
  const char* expected = "{\"k\":\"a\r\nb\"}";
#endif
  EXPECT_EQ(dump(acf_parser().parse_acf(input)), expected);
}

TEST(acf_stream, no_file_makes_a_stream_that_failed_already) {
  acf_file_stream input(nullptr);
  EXPECT_TRUE(input.fail());
  EXPECT_FALSE(input.eof());
  EXPECT_FALSE(input.bad());
  char8_t unit = u8'x';
  EXPECT_FALSE(input.get(unit));
  EXPECT_EQ(static_cast<char>(unit), 'x');
}

#ifndef _WIN32
// A folder opens as a file on POSIX systems, and reading it fails.
TEST(acf_stream, a_read_error_sets_bad_and_fail_not_eof) {
  const temp_folder folder;
  const test_file file(std::fopen(folder.path().c_str(), "r"));
  ASSERT_TRUE(file);
  acf_file_stream input(file.get());
  EXPECT_TRUE(input.good());
  char8_t unit = u8'x';
  EXPECT_FALSE(input.get(unit));
  EXPECT_EQ(static_cast<char>(unit), 'x');
  EXPECT_TRUE(input.bad());
  EXPECT_TRUE(input.fail());
  EXPECT_FALSE(input.eof());
}
#endif

TEST(acf_stream, unreadable_files_read_as_empty_documents) {
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
    const test_file file = open_text_file(row.file);
    acf_file_stream input(file.get());
    acf_value document;
    EXPECT_NO_THROW(document = acf_parser().parse_acf(input));
    EXPECT_EQ(dump(document), "{}");
    EXPECT_TRUE(input.fail());
  }
}
