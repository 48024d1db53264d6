#include "system/text.hpp"

#include <gtest/gtest.h>

#include <string>

TEST(text, widen_utf8_converts_and_replaces_ill_formed_input) {
  struct row {
    const char* name;
    std::string input;
    std::wstring expected;
  };
  const row rows[] = {
      {"empty", "", L""},
      {"ASCII", "abc", L"abc"},
      {"one byte keeps no spare unit", "A", L"A"},
      {"two-byte sequence", "Caf\xC3\xA9", L"Caf\u00E9"},
      {"four bytes become a surrogate pair", "\xF0\x9F\x98\x80",
       std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}},
      {"inner NUL is kept", std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
      {"lone continuation byte",
       "ab\x80"
       "cd",
       L"ab\uFFFDcd"},
      {"truncated sequence at the end", "ok\xE6\x97", L"ok\uFFFD"},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(widen_utf8(row.input), row.expected);
  }
}

TEST(text, path_to_utf8_encodes_non_ascii_letters) {
  EXPECT_EQ(path_to_utf8(L"C:\\Caf\u00E9\\\u65E5"), "C:\\Caf\xC3\xA9\\\xE6\x97\xA5");
}
