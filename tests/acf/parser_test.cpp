#include "acf/acf_parser.hpp"
#include "acf/acf_test_support.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <typeindex>
#include <typeinfo>
#include <variant>

using namespace std::literals;
namespace states = acf_parser_states;

namespace {

// The error that parsing `text` with `parser` raises, as "runtime_error: what"
// or "bad_variant_access: what".
std::string error_of(acf_parser& parser, std::u8string_view text) {
  acf_stream input(text);
  try {
    parser.parse_acf(input);
  } catch (const std::runtime_error& error) {
    return "runtime_error: "s + error.what();
  } catch (const std::bad_variant_access& error) {
    return "bad_variant_access: "s + error.what();
  }
  return "no error";
}

std::type_index state_type(const acf_parser& parser) {
  const acf_parser_states::state& state = *parser.current_state;
  return typeid(state);
}

// `depth` objects, each the only entry of its parent, with a pair innermost.
std::u8string nested(std::size_t depth) {
  std::u8string text;
  for (std::size_t level = 0; level < depth; ++level) text += u8"\"a\" {";
  text += u8"\"k\" \"v\"";
  text.append(depth, u8'}');
  return text;
}

// How many objects lie below `value`'s root object along the "a" entries.
std::size_t depth_of(const acf_value& value) {
  std::size_t depth = 0;
  for (const acf_value* level = &value; std::get<acf_object>(*level).contains(u8"a"); ++depth) {
    level = &std::get<acf_object>(*level).at(u8"a");
  }
  return depth;
}

}  // namespace

TEST(acf_parser, new_parser_holds_nothing) {
  const acf_parser parser;
  EXPECT_EQ(parser.root.index(), 0u);
  EXPECT_EQ(as_chars(std::get<std::u8string>(parser.root)), "");
  EXPECT_EQ(parser.current_state, nullptr);
  EXPECT_TRUE(parser.object_stack.empty());
  EXPECT_EQ(as_chars(parser.current_key), "");
}

TEST(acf_parser, accepted_documents) {
  struct row {
    const char* name;
    std::u8string input;
    std::string expected;
  };
  const row rows[] = {
      {"empty input", u8"", "{}"},
      {"only units that mean nothing", u8" \t\r\nabc 123 \\ \xFF", "{}"},
      {"byte order mark", u8"\xEF\xBB\xBF\"k\" \"v\"", R"({"k":"v"})"},
      {"tabs and CR LF between tokens", u8"\"a\"\t\t\"1\"\r\n\"b\"\r\n{\r\n\t\"c\"\t\"2\"\r\n}\r\n",
       R"({"a":"1","b":{"c":"2"}})"},
      {"units before a key are skipped", u8"x \\ \"k\" \"v\"", R"({"k":"v"})"},
      {"units between key and value are skipped", u8"\"k\" x \\ \"v\" \"o\" y {}", R"({"k":"v","o":{}})"},
      {"an unquoted key is skipped and its value read as key", u8"key \"value\" \"x\"", R"({"value":"x"})"},
      {"first text of a key wins", u8"\"a\" \"1\" \"a\" \"2\"", R"({"a":"1"})"},
      {"an object given twice merges into the first", u8R"("o" { "x" "1" } "o" { "x" "2" "y" "3" })",
       R"({"o":{"x":"1","y":"3"}})"},
      {"text after an object of the same key is dropped", u8R"("k" { } "k" "v")", R"({"k":{}})"},
      {"keys iterate in byte order", u8R"("10" "" "2" "" "1" "" "0" "")",
       R"({"0":"","1":"","10":"","2":""})"},
      {"bytes above 0x7F sort after ASCII", u8R"("é" "" "z" "" "A" "")", R"({"A":"","z":"","é":""})"},
      {"keys are case-sensitive", u8R"("AppState" "1" "appstate" "2")", R"({"AppState":"1","appstate":"2"})"},
      {"objects left open at the end", u8R"("a" { "b" { "c" "d")", R"({"a":{"b":{"c":"d"}}})"},
      {"closing an object returns to its parent", u8R"("a" { "b" "1" } "c" "2")",
       R"({"a":{"b":"1"},"c":"2"})"},
      {"backslashes are kept", u8R"("path" "D:\\Games")", R"({"path":"D:\\Games"})"},
      {"a backslash does not escape a quote", u8R"("a\" "b")", R"({"a\":"b"})"},
      {"braces inside quotes are text", u8R"("x{y}" "1}")", R"({"x{y}":"1}"})"},
      {"line breaks inside quotes are text", u8"\"l\r\n\" \"one\ntwo\"", "{\"l\r\n\":\"one\ntwo\"}"},
      {"empty key and empty text", u8R"("" "")", R"({"":""})"},
      {"NUL bytes inside quotes are kept", u8"\"a\0b\" \"\0\""s, "{\"a\0b\":\"\0\"}"s},
      {"closing the root, then units that mean nothing", u8"\"k\" \"v\" } \r\n x", R"({"k":"v"})"},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(dump(parse(row.input)), row.expected);
  }
}

TEST(acf_parser, errors_leave_the_partial_document_and_the_raising_state) {
  const std::string root_closed = "runtime_error: input continues after the outermost object was closed";
  const std::string premature = "runtime_error: premature end of file";
  struct row {
    const char* name;
    std::u8string input;
    std::string error;
    std::type_index raised_in;
    std::size_t open_objects;
    std::string partial;
  };
  const row rows[] = {
      {"opening brace at the top", u8"{", "runtime_error: not a valid place to open a subobject",
       typeid(states::default_state), 1, "{}"},
      {"opening brace after a pair", u8R"("k" "v" {)", "runtime_error: not a valid place to open a subobject",
       typeid(states::default_state), 1, R"({"k":"v"})"},
      {"closing brace for a value", u8R"("k" })", "runtime_error: not a valid place to close a subobject",
       typeid(states::wait_for_value), 1, "{}"},
      {"end inside a key", u8R"("k)", premature, typeid(states::read_key), 1, "{}"},
      {"end after a key", u8R"("k")", premature, typeid(states::wait_for_value), 1, "{}"},
      {"end inside text", u8R"("k" "v)", premature, typeid(states::read_string), 1, "{}"},
      {"unquoted key makes the value a key", u8R"(key "value")", premature, typeid(states::wait_for_value), 1,
       "{}"},
      {"end inside a nested key", u8R"("a" { "b" "1" "c)", premature, typeid(states::read_key), 2,
       R"({"a":{"b":"1"}})"},
      {"key with text opens an object", u8R"("k" "v" "k" { })", "bad_variant_access: bad variant access",
       typeid(states::wait_for_value), 1, R"({"k":"v"})"},
      {"closing brace after the root was closed", u8R"("k" "v" } })", root_closed,
       typeid(states::default_state), 0, R"({"k":"v"})"},
      {"nested object, root and one more closed", u8R"("a" { } } })", root_closed,
       typeid(states::default_state), 0, R"({"a":{}})"},
      {"pair after the root was closed", u8R"(} "k" "v")", root_closed, typeid(states::read_string), 0, "{}"},
      {"object after the root was closed", u8R"(} "k" {)", root_closed, typeid(states::wait_for_value), 0,
       "{}"},
      {"end after a key after the root was closed", u8R"(} "k")", premature, typeid(states::wait_for_value),
       0, "{}"},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    acf_parser parser;
    EXPECT_EQ(error_of(parser, row.input), row.error);
    EXPECT_EQ(state_type(parser), row.raised_in);
    EXPECT_EQ(parser.object_stack.size(), row.open_objects);
    EXPECT_EQ(dump(parser.root), row.partial);
  }
}

TEST(acf_parser, stack_points_into_the_document) {
  acf_parser parser;
  acf_stream input(u8R"("a" { "b" { "c" "d")");
  parser.parse_acf(input);
  auto& a = std::get<acf_object>(std::get<acf_object>(parser.root).at(u8"a"));
  ASSERT_EQ(parser.object_stack.size(), 3u);
  EXPECT_EQ(parser.object_stack[0], &std::get<acf_object>(parser.root));
  EXPECT_EQ(parser.object_stack[1], &a);
  EXPECT_EQ(parser.object_stack[2], &std::get<acf_object>(a.at(u8"b")));
  EXPECT_EQ(as_chars(parser.current_key), "c");
}

TEST(acf_parser, reuse_starts_from_scratch) {
  acf_parser parser;
  acf_stream first_input(u8R"("a" { "b" "1" } "k" "v")");
  const acf_value first = parser.parse_acf(first_input);
  EXPECT_EQ(error_of(parser, u8R"("k" })"), "runtime_error: not a valid place to close a subobject");

  acf_stream second_input(u8R"("c" "2")");
  const acf_value second = parser.parse_acf(second_input);
  EXPECT_EQ(dump(second), R"({"c":"2"})");
  EXPECT_EQ(parser.root, second);
  EXPECT_EQ(dump(first), R"({"a":{"b":"1"},"k":"v"})");
  EXPECT_EQ(state_type(parser), typeid(states::default_state));
  EXPECT_EQ(parser.object_stack.size(), 1u);

  // The key survives until the next key begins.
  acf_stream empty_input(u8"");
  EXPECT_EQ(dump(parser.parse_acf(empty_input)), "{}");
  EXPECT_EQ(as_chars(parser.current_key), "c");
}

TEST(acf_parser, returned_document_shares_nothing_with_root) {
  acf_parser parser;
  acf_stream input(u8R"("o" { "x" "1" })");
  acf_value result = parser.parse_acf(input);
  auto& returned = std::get<acf_object>(std::get<acf_object>(result).at(u8"o"));
  EXPECT_NE(&returned, parser.object_stack.front());
  returned[u8"x"] = u8"changed";
  returned[u8"y"] = acf_object{};
  EXPECT_EQ(dump(parser.root), R"({"o":{"x":"1"}})");
}

TEST(acf_parser, nesting_is_bounded) {
  {
    const std::u8string text = nested(acf_max_depth);
    acf_parser parser;
    acf_stream input(text);
    const acf_value deepest = parser.parse_acf(input);
    EXPECT_EQ(depth_of(deepest), acf_max_depth);
    const acf_value copy = deepest;
    EXPECT_EQ(copy, deepest);
  }
  acf_parser parser;
  EXPECT_EQ(error_of(parser, nested(acf_max_depth + 1)),
            "runtime_error: objects nested deeper than 512 levels");
  EXPECT_EQ(parser.object_stack.size(), acf_max_depth + 1);
  EXPECT_EQ(depth_of(parser.root), acf_max_depth);
}

TEST(acf_parser, each_state_is_made_in_the_block_of_the_one_it_replaces) {
  acf_parser parser;
  acf_stream first_input(u8R"("k" "v")");
  parser.parse_acf(first_input);
  const acf_parser_states::state* const block = parser.current_state.get();

  acf_stream empty_input(u8"");
  parser.parse_acf(empty_input);
  EXPECT_EQ(parser.current_state.get(), block);
  EXPECT_EQ(state_type(parser), typeid(states::default_state));

  EXPECT_EQ(error_of(parser, u8R"("k" "v)"), "runtime_error: premature end of file");
  EXPECT_EQ(parser.current_state.get(), block);
  EXPECT_EQ(state_type(parser), typeid(states::read_string));
}
