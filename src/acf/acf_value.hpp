#pragma once

#include <map>
#include <string>
#include <variant>

struct acf_value;

// An object of a key-value document. Keys are unique and case-sensitive and
// are ordered by their unsigned byte values; map nodes stay in place while
// other entries are inserted, which the parser's stack of open objects uses.
// at() throws std::out_of_range for an absent key.
using acf_object = std::map<std::u8string, acf_value>;

// A value of a key-value document: text (alternative 0: exactly the bytes
// between two quotes in the file, nothing unescaped or decoded) or an object
// (alternative 1). Holds empty text when default-constructed. std::get,
// std::get_if and std::holds_alternative work on it as on the variant;
// std::get throws std::bad_variant_access for the alternative not held.
// Copies are deep and share nothing with their source.
struct acf_value : std::variant<std::u8string, acf_object> {
  using variant::variant;
  using variant::operator=;
};
