// The reader of a drive's .GamingRoot, on the bytes the Xbox app writes and
// on files cut short or damaged.
#include "xbox/gaming_root.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// "RGBX" and the count, little-endian.
std::string header(std::uint32_t count) {
  std::string bytes = "RGBX";
  for (int shift = 0; shift < 32; shift += 8) {
    bytes.push_back(static_cast<char>(count >> shift & 0xFF));
  }
  return bytes;
}

// `text` as UTF-16LE code units, without a NUL.
std::string utf16(const std::u16string& text) {
  std::string bytes;
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

const std::string nul(2, '\0');

}  // namespace

TEST(gaming_root, lists_the_paths_that_end_within_the_file) {
  struct row {
    const char* name;
    std::string bytes;
    std::vector<std::u16string> expected;
  };
  const row rows[] = {
      {"as the Xbox app writes it", header(1) + utf16(u"XboxGames") + nul, {u"XboxGames"}},
      {"two folders, one below another and not ASCII",
       header(2) + utf16(u"Games\\Xbox") + nul + utf16(u"Spiele \u00fc\u4e00") + nul,
       {u"Games\\Xbox", u"Spiele \u00fc\u4e00"}},
      {"no folders", header(0), {}},
      {"a count past the end", header(5) + utf16(u"XboxGames") + nul, {u"XboxGames"}},
      {"the largest count", header(0xFFFFFFFF) + utf16(u"A") + nul, {u"A"}},
      {"a path cut before its NUL", header(2) + utf16(u"XboxGames") + nul + utf16(u"Other"), {u"XboxGames"}},
      {"a path cut inside a code unit", header(1) + utf16(u"XboxGames") + std::string(1, '\0'), {}},
      {"an empty path is passed over", header(2) + nul + utf16(u"B") + nul, {u"B"}},
      {"what follows the counted paths is not read",
       header(1) + utf16(u"A") + nul + utf16(u"B") + nul,
       {u"A"}},
      {"a count cut short", "RGBX\x01", {}},
      {"another file", "XBGR" + header(1).substr(4) + utf16(u"XboxGames") + nul, {}},
      {"empty", "", {}},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(read_gaming_root(row.bytes), row.expected);
  }
}
