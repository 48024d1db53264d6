// The floor measures the model's share of a parse only if it builds the very
// tree parse_acf builds from the same text.

#include "model_floor.hpp"
#include "acf/acf_test_support.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

std::u8string read_data_file(std::string_view name) {
  std::ifstream in(data_file(name), std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return as_u8(bytes);
}

struct same_tree_case {
  const char* name;
  std::u8string document;
};

class model_floor_test : public testing::TestWithParam<same_tree_case> {};

TEST_P(model_floor_test, stores_the_tree_parse_acf_builds) {
  const std::u8string& document = GetParam().document;
  const acf_value expected = parse(document);
  ASSERT_FALSE(std::get<acf_object>(expected).empty());
  EXPECT_EQ(store_steps(cut_into_steps(document)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    documents, model_floor_test,
    testing::Values(
        same_tree_case{"libraryfolders", read_data_file("libraryfolders-contentstatsid.vdf")},
        same_tree_case{"app_manifest", read_data_file("appmanifest_228980.acf")},
        same_tree_case{"first_value_wins_and_objects_merge",
                       u8"\"a\" \"1\" \"a\" \"2\" \"o\" { \"x\" \"1\" } \"o\" { \"x\" \"2\" \"y\" \"3\" } "
                       u8"\"o\" \"dropped\""},
        same_tree_case{
            "quotes_hold_braces_and_line_breaks",
            u8"\"x{y}\"\r\n\t\t\"1}\r\n\"\r\n\"apps\"\r\n{\r\n\t\"10\"\t\"\"\r\n\t\"2\"\t\"b\"\r\n}\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
