#include "acf/acf_test_support.hpp"
#include "acf/acf_value.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <variant>

TEST(acf_value, default_value_is_empty_text) {
  const acf_value value;
  EXPECT_EQ(value.index(), 0u);
  EXPECT_EQ(as_chars(std::get<std::u8string>(value)), "");
}

TEST(acf_value, access_to_the_alternative_not_held_throws) {
  struct row {
    const char* name;
    acf_value value;
    bool holds_text;
  };
  const row rows[] = {
      {"text", acf_value(u8"x"), true},
      {"empty text", acf_value(), true},
      {"object", object({{u8"k", u8"v"}}), false},
      {"empty object", acf_value(acf_object{}), false},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(std::holds_alternative<std::u8string>(row.value), row.holds_text);
    EXPECT_EQ(std::holds_alternative<acf_object>(row.value), !row.holds_text);
    if (row.holds_text) {
      EXPECT_THROW((void)std::get<acf_object>(row.value), std::bad_variant_access);
    } else {
      EXPECT_THROW((void)std::get<std::u8string>(row.value), std::bad_variant_access);
    }
  }
}

TEST(acf_object, lookup) {
  acf_value document = parse(u8R"("AppState" { "appid" "228980" })");
  auto& root = std::get<acf_object>(document);
  EXPECT_THROW((void)root.at(u8"appstate"), std::out_of_range);
  EXPECT_FALSE(root.contains(u8"appstate"));
  EXPECT_EQ(as_chars(std::get<std::u8string>(std::get<acf_object>(root.at(u8"AppState")).at(u8"appid"))),
            "228980");

  acf_value& added = root[u8"absent"];
  EXPECT_EQ(as_chars(std::get<std::u8string>(added)), "");
  EXPECT_EQ(dump(document), R"({"AppState":{"appid":"228980"},"absent":""})");
}

TEST(acf_value, copies_share_nothing) {
  const acf_value source = parse(u8R"("o" { "x" "1" "p" { "y" "2" } } "t" "3")");
  acf_value copy = source;
  EXPECT_EQ(copy, source);
  auto& o = std::get<acf_object>(std::get<acf_object>(copy).at(u8"o"));
  std::get<std::u8string>(o.at(u8"x")) = u8"changed";
  std::get<acf_object>(o.at(u8"p"))[u8"z"] = u8"new";
  std::get<acf_object>(copy).erase(u8"t");
  EXPECT_EQ(dump(source), R"({"o":{"p":{"y":"2"},"x":"1"},"t":"3"})");
  EXPECT_EQ(dump(copy), R"({"o":{"p":{"y":"2","z":"new"},"x":"changed"}})");
}
