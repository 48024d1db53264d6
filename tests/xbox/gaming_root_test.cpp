// The reader of a drive's .GamingRoot, on the bytes the Xbox app writes and
// on files cut short or damaged.
#include "xbox/gaming_root.hpp"

#include "support/files.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using test_support::gaming_root;

TEST(gaming_root, lists_the_paths_that_end_within_the_file) {
  struct row {
    const char* name;
    std::string bytes;
    std::vector<std::u16string> expected;
  };
  const row rows[] = {
      {"as the Xbox app writes it", gaming_root(1, {u"XboxGames"}), {u"XboxGames"}},
      {"two folders, one below another and not ASCII",
       gaming_root(2, {u"Games\\Xbox", u"Spiele \u00fc\u4e00"}),
       {u"Games\\Xbox", u"Spiele \u00fc\u4e00"}},
      {"no folders", gaming_root(0, {}), {}},
      {"a count past the end", gaming_root(5, {u"XboxGames"}), {u"XboxGames"}},
      {"the largest count", gaming_root(0xFFFFFFFF, {u"A"}), {u"A"}},
      {"a path cut before its NUL", gaming_root(2, {u"XboxGames", u"Other"}, true), {u"XboxGames"}},
      {"a path cut inside a code unit", gaming_root(1, {u"XboxGames"}, true) + std::string(1, '\0'), {}},
      {"an empty path is passed over", gaming_root(2, {u"", u"B"}), {u"B"}},
      {"what follows the counted paths is not read", gaming_root(1, {u"A", u"B"}), {u"A"}},
      {"a count cut short", "RGBX\x01", {}},
      {"another file", "XBGR" + gaming_root(1, {u"XboxGames"}).substr(4), {}},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(read_gaming_root(row.bytes), row.expected);
  }
}
