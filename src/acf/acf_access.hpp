#pragma once

#include "acf/acf_value.hpp"

#include <stdexcept>
#include <string>
#include <utility>
#include <variant>

// Checked access to a parsed document, with the error texts that the
// installer shows when a Steam file lacks what it needs. (The standard
// library's own texts vary between implementations.)

// The object that `value` holds. Throws std::bad_variant_access ("bad variant
// access") when it holds text.
inline const acf_object& object_of(const acf_value& value) {
  if (const auto* object = std::get_if<acf_object>(&value)) {
    return *object;
  }
  throw std::bad_variant_access{};
}

inline acf_object& object_of(acf_value& value) {
  return const_cast<acf_object&>(object_of(std::as_const(value)));
}

// The text that `value` holds. Throws std::bad_variant_access ("bad variant
// access") when it holds an object.
inline const std::u8string& text_of(const acf_value& value) {
  if (const auto* text = std::get_if<std::u8string>(&value)) {
    return *text;
  }
  throw std::bad_variant_access{};
}

// The value stored under `key`. Throws std::out_of_range ("invalid map<K, T>
// key") when the key is absent.
inline const acf_value& entry_of(const acf_object& object, const std::u8string& key) {
  if (const auto found = object.find(key); found != object.end()) {
    return found->second;
  }
  throw std::out_of_range("invalid map<K, T> key");
}
