#include "system/sha256.hpp"
#include "support/files.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

// FIPS 180-2's examples, and a file read in more than one piece.
struct vector_case {
  const char* name;
  std::string bytes;
  const char* digest;
};

const vector_case vectors[] = {
    {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"two blocks", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {"a million a, more than one piece", std::string(1000000, 'a'),
     "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
};

}  // namespace

TEST(sha256, bytes_and_files_give_the_standard_digests) {
  const sha256 hasher;
  const test_support::temp_folder folder;
  for (const vector_case& row : vectors) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(to_hex(hasher.of(row.bytes)), row.digest);
    const auto file = test_support::write_file(folder.path() / "file.bin", row.bytes);
    const auto digest = hasher.of_file(file);
    ASSERT_TRUE(digest);
    EXPECT_EQ(to_hex(*digest), row.digest);
  }
}

TEST(sha256, progress_sees_every_byte_and_can_stop_the_reading) {
  const sha256 hasher;
  const test_support::temp_folder folder;
  const auto file = test_support::write_file(folder.path() / "big.bin", std::string(3 << 20, 'x'));
  std::uint64_t last = 0;
  int calls = 0;
  EXPECT_TRUE(hasher.of_file(file, [&](std::uint64_t done) {
    EXPECT_GT(done, last);
    last = done;
    ++calls;
    return true;
  }));
  EXPECT_EQ(last, 3u << 20);
  EXPECT_FALSE(hasher.of_file(file, [&](std::uint64_t) { return false; }));
  const auto missing = hasher.of_file(folder.path() / "missing.bin");
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().code, 2u);  // ERROR_FILE_NOT_FOUND
  EXPECT_GT(calls, 1);
}
