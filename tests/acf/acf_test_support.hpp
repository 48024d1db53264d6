#pragma once

#include "acf/acf_parser.hpp"
#include "acf/acf_stream.hpp"

#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

// Helpers shared by the key-value parser's tests.

// `text` as plain chars, byte for byte.
inline std::string as_chars(std::u8string_view text) { return std::string(text.begin(), text.end()); }

// `text` as UTF-8 code units, byte for byte.
inline std::u8string as_u8(std::string_view text) { return std::u8string(text.begin(), text.end()); }

// A compact, unambiguous rendering: texts and keys quoted, objects in braces
// with their entries in iteration order, e.g. {"a":"1","o":{}}.
inline std::string dump(const acf_value& value) {
  if (const auto* text = std::get_if<std::u8string>(&value)) return '"' + as_chars(*text) + '"';
  std::string out = "{";
  for (const auto& [key, entry] : std::get<acf_object>(value)) {
    if (out.size() > 1) out += ',';
    out += '"' + as_chars(key) + "\":" + dump(entry);
  }
  return out + '}';
}

// Lets GoogleTest show a value that fails a comparison.
inline void PrintTo(const acf_value& value, std::ostream* out) { *out << dump(value); }

// An object value made of `entries`.
inline acf_value object(std::initializer_list<std::pair<const std::u8string, acf_value>> entries) {
  return acf_object(entries);
}

// Parses `text` with a new parser.
inline acf_value parse(std::u8string_view text) {
  acf_stream input(text);
  return acf_parser().parse_acf(input);
}

// A file of tests/acf/data.
inline std::filesystem::path data_file(std::string_view name) {
  return std::filesystem::path(ACF_TEST_DATA) / name;
}

// Owns a C file that a test opened.
struct test_file_closer {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using test_file = std::unique_ptr<std::FILE, test_file_closer>;

// Opens `file` for reading in text mode (on Windows CR LF reads as LF); empty
// when it cannot be opened.
inline test_file open_text_file(const std::filesystem::path& file) {
#ifdef _WIN32
  return test_file(_wfopen(file.c_str(), L"rt"));
#else
  return test_file(std::fopen(file.c_str(), "r"));
#endif
}

// Everything `input` delivers until an extraction fails.
inline std::string drain(acf_stream& input) {
  std::string units;
  for (char8_t unit{}; input.get(unit);) units += static_cast<char>(unit);
  return units;
}
