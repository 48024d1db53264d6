#include "acf/acf_test_support.hpp"
#include "acf/acf_value.hpp"

#include <gtest/gtest.h>

#include <string>
#include <variant>

// Text is alternative 0, an object alternative 1, so a new value is empty
// text.
TEST(acf_value, alternatives_are_text_then_object) {
  EXPECT_EQ(acf_value(u8"x").index(), 0u);
  EXPECT_EQ(acf_value(acf_object{}).index(), 1u);
  EXPECT_EQ(as_chars(std::get<std::u8string>(acf_value())), "");
}

// Unsigned byte values: capitals before small letters, and the lead byte of
// a UTF-8 sequence after every ASCII key.
TEST(acf_object, keys_are_ordered_by_unsigned_byte_values) {
  const acf_value keys =
      object({{u8"\xC3\xA9t\xC3\xA9", u8""}, {u8"b", u8""}, {u8"~", u8""}, {u8"B", u8""}, {u8"a", u8""}});
  EXPECT_EQ(dump(keys), "{\"B\":\"\",\"a\":\"\",\"b\":\"\",\"~\":\"\",\"\xC3\xA9t\xC3\xA9\":\"\"}");
}
